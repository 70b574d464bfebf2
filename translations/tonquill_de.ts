<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>ASpinnerBox</name>
    <message>
        <source>Please enter numeric values only.</source>
        <translation>Bitte geben Sie nur Zahlen ein.</translation>
    </message>
</context>
<context>
    <name>AboutPage</name>
    <message>
        <source>About Tonquill</source>
        <translation>Über Tonquill</translation>
    </message>
    <message>
        <source>&lt;h3&gt;Tonquill 2.01&lt;/h3&gt;&lt;p&gt;Tonquill records internet radio: it connects to SHOUTcast and Icecast MP3 streams and writes one MP3 file per song, cut where the station&apos;s title changes, or a dated archive, or one single file. Finished songs get an ID3v1 tag, old archives are deleted after the days you choose, and you can listen to the stream while it is recorded.&lt;/p&gt;&lt;p&gt;Recordings start from this panel, from preset files (.tvp), from the command line or at a set time; the recording display and the icon in the notification area control them. Discwright, from the Tools menu, makes audio CDs of your recordings.&lt;/p&gt;&lt;p&gt;Tonquill is free software under the GNU General Public License, version 3 or later. It comes with no warranty.&lt;/p&gt;</source>
        <translation>&lt;h3&gt;Tonquill 2.01&lt;/h3&gt;&lt;p&gt;Tonquill nimmt Internetradio auf: Es verbindet sich mit SHOUTcast- und Icecast-MP3-Streams und schreibt eine MP3-Datei je Titel, geschnitten dort, wo der Titel des Senders wechselt, oder ein datiertes Archiv oder eine einzige Datei. Fertige Titel erhalten ein ID3v1-Tag, alte Archive werden nach der gewählten Zahl von Tagen gelöscht, und Sie können den Stream anhören, während er aufgenommen wird.&lt;/p&gt;&lt;p&gt;Aufnahmen starten von diesem Fenster aus, aus Vorlagendateien (.tvp), von der Befehlszeile oder zu einer festgelegten Zeit; die Aufnahmeanzeige und das Symbol im Benachrichtigungsbereich steuern sie. Discwright im Menü Werkzeuge brennt Audio-CDs aus Ihren Aufnahmen.&lt;/p&gt;&lt;p&gt;Tonquill ist freie Software unter der GNU General Public License, Version 3 oder später. Es gibt keine Garantie.&lt;/p&gt;</translation>
    </message>
</context>
<context>
    <name>Associations</name>
    <message>
        <source>%1 could not be written; playlists were left to %2.</source>
        <translation>%1 konnte nicht geschrieben werden; Wiedergabelisten bleiben bei %2.</translation>
    </message>
</context>
<context>
    <name>AtScheduler</name>
    <message>
        <source>%1: at is not installed</source>
        <translation>%1: at ist nicht installiert</translation>
    </message>
    <message>
        <source>%1: at did not answer</source>
        <translation>%1: at hat nicht geantwortet</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot name a task</source>
        <translation>„%1“ kann keine Aufgabe benennen</translation>
    </message>
    <message>
        <source>a task named &quot;%1&quot; exists</source>
        <translation>eine Aufgabe namens „%1“ gibt es schon</translation>
    </message>
    <message>
        <source>the task has no start</source>
        <translation>die Aufgabe hat keinen Beginn</translation>
    </message>
    <message>
        <source>the start is not in the future</source>
        <translation>der Beginn liegt nicht in der Zukunft</translation>
    </message>
    <message>
        <source>atd is not running</source>
        <translation>atd läuft nicht</translation>
    </message>
    <message>
        <source>no task named &quot;%1&quot;</source>
        <translation>keine Aufgabe namens „%1“</translation>
    </message>
    <message>
        <source>the task is not stored</source>
        <translation>die Aufgabe ist nicht gespeichert</translation>
    </message>
</context>
<context>
    <name>AudioSinkOutput</name>
    <message>
        <source>No audio output device: the recording cannot be heard here</source>
        <translation>Kein Audioausgabegerät: Die Aufnahme kann hier nicht angehört werden</translation>
    </message>
    <message>
        <source>The audio output device cannot play %1 Hz, %2 channel(s)</source>
        <translation>Das Audioausgabegerät kann %1 Hz mit %2 Kanal/Kanälen nicht wiedergeben</translation>
    </message>
    <message>
        <source>The audio output device could not be opened</source>
        <translation>Das Audioausgabegerät konnte nicht geöffnet werden</translation>
    </message>
    <message>
        <source>The audio output device stopped working</source>
        <translation>Das Audioausgabegerät funktioniert nicht mehr</translation>
    </message>
</context>
<context>
    <name>Configuration</name>
    <message>
        <source>The preset file specified does not exist!</source>
        <translation>Die angegebene Vorlagendatei existiert nicht!</translation>
    </message>
    <message>
        <source>The preset file specified %1!</source>
        <translation>Die angegebene Vorlagendatei %1!</translation>
    </message>
    <message>
        <source>Invalid Shoutcast playlist! (The web site must end in .m3u or .pls)</source>
        <translation>Ungültige Shoutcast-Wiedergabeliste! (Die Webadresse muss auf .m3u oder .pls enden)</translation>
    </message>
    <message>
        <source>The path specified does not exist!</source>
        <translation>Der angegebene Pfad existiert nicht!</translation>
    </message>
    <message>
        <source>A number of minutes (or 0 for continuous) must be specified for the recording length!</source>
        <translation>Für die Aufnahmedauer muss eine Anzahl Minuten (oder 0 für unbegrenzt) angegeben werden!</translation>
    </message>
    <message>
        <source>A number of minutes must be specified for the days to keep the recording! (Even for title streams)</source>
        <translation>Für die Tage, die die Aufnahme behalten wird, muss eine Zahl angegeben werden! (Auch für Streams mit Titeln)</translation>
    </message>
</context>
<context>
    <name>CoverThumb</name>
    <message>
        <source>Cover</source>
        <translation>Cover</translation>
    </message>
</context>
<context>
    <name>DesktopNotifier</name>
    <message>
        <source>Saved</source>
        <translation>Gespeichert</translation>
    </message>
    <message>
        <source>Reconnecting</source>
        <translation>Neue Verbindung</translation>
    </message>
    <message>
        <source>The stream of %1 was lost; Tonquill is reconnecting.</source>
        <translation>Der Stream von %1 ist abgebrochen; Tonquill verbindet neu.</translation>
    </message>
    <message>
        <source>Recording ended</source>
        <translation>Aufnahme beendet</translation>
    </message>
    <message>
        <source>Network errors have interrupted successful recording of %1!</source>
        <translation>Netzwerkfehler haben die Aufnahme von %1 unterbrochen!</translation>
    </message>
    <message>
        <source>Open folder</source>
        <translation>Ordner öffnen</translation>
    </message>
    <message>
        <source>Caught on %1: %2</source>
        <translation>Auf %1 aufgenommen: %2</translation>
    </message>
</context>
<context>
    <name>DesktopProgram</name>
    <message>
        <source>This song could not be saved: %1</source>
        <translation>Dieser Titel konnte nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <source>The last minutes could not be saved: %1</source>
        <translation>Die letzten Minuten konnten nicht gespeichert werden: %1</translation>
    </message>
</context>
<context>
    <name>DesktopRecordings</name>
    <message>
        <source>the station is not being read</source>
        <translation>der Sender wird nicht gelesen</translation>
    </message>
</context>
<context>
    <name>EventSocket</name>
    <message>
        <source>The certificate of %1 does not verify: %2</source>
        <translation>Das Zertifikat von %1 lässt sich nicht bestätigen: %2</translation>
    </message>
    <message>
        <source>No secure connection to %1: %2</source>
        <translation>Keine sichere Verbindung zu %1: %2</translation>
    </message>
    <message>
        <source>Invalid port %1</source>
        <translation>Ungültiger Port %1</translation>
    </message>
    <message>
        <source>The socket is not connected</source>
        <translation>Der Socket ist nicht verbunden</translation>
    </message>
    <message>
        <source>No such connection request</source>
        <translation>Diese Verbindungsanfrage gibt es nicht</translation>
    </message>
</context>
<context>
    <name>ExternalPlayer</name>
    <message>
        <source>The external player was not started: &quot;%1&quot; is neither an http, https or icy address nor the full path of an existing file.</source>
        <translation>Der externe Player wurde nicht gestartet: „%1“ ist weder eine http-, https- oder icy-Adresse noch der vollständige Pfad einer vorhandenen Datei.</translation>
    </message>
</context>
<context>
    <name>HistoryStore</name>
    <message>
        <source>Qt&apos;s SQLite driver is not installed</source>
        <translation>Der SQLite-Treiber von Qt ist nicht installiert</translation>
    </message>
    <message>
        <source>The title history could not be read (%1): it was moved to %2 and a new one begun.</source>
        <translation>Der Titelverlauf konnte nicht gelesen werden (%1): Er wurde nach %2 verschoben und ein neuer begonnen.</translation>
    </message>
    <message>
        <source>The title history %1 cannot be opened: %2</source>
        <translation>Der Titelverlauf %1 kann nicht geöffnet werden: %2</translation>
    </message>
</context>
<context>
    <name>HlsSession</name>
    <message>
        <source>no ID3 tag</source>
        <translation>kein ID3-Tag</translation>
    </message>
    <message>
        <source>ID3 tag longer than its data</source>
        <translation>ID3-Tag länger als seine Daten</translation>
    </message>
    <message>
        <source>ID3 extended header cut short</source>
        <translation>erweiterter ID3-Header abgeschnitten</translation>
    </message>
    <message>
        <source>ID3 extended header size false</source>
        <translation>Größe des erweiterten ID3-Headers falsch</translation>
    </message>
    <message>
        <source>ID3 frame %1 claims more than its tag holds</source>
        <translation>ID3-Frame %1 gibt mehr an, als sein Tag enthält</translation>
    </message>
    <message>
        <source>%1 byte(s) that are not audio passed over</source>
        <translation>%1 Byte(s), die kein Audio sind, übergangen</translation>
    </message>
    <message>
        <source>the MPEG-TS segment holds no AAC or MP3 audio</source>
        <translation>das MPEG-TS-Segment enthält kein AAC- oder MP3-Audio</translation>
    </message>
    <message>
        <source>the MPEG-TS segment names no audio stream</source>
        <translation>das MPEG-TS-Segment nennt keinen Audiostrom</translation>
    </message>
    <message>
        <source>the segment is larger than 16 MiB</source>
        <translation>das Segment ist größer als 16 MiB</translation>
    </message>
    <message>
        <source>the segment holds no audio</source>
        <translation>das Segment enthält kein Audio</translation>
    </message>
    <message>
        <source>HLS: the station&apos;s playlists are nested more than %1 deep</source>
        <translation>HLS: Die Wiedergabelisten des Senders sind mehr als %1 Ebenen tief verschachtelt</translation>
    </message>
    <message>
        <source>HLS: no variant of this station is AAC or MP3 audio</source>
        <translation>HLS: Keine Variante dieses Senders ist AAC- oder MP3-Audio</translation>
    </message>
    <message>
        <source>HLS: the playlist is larger than 1 MiB</source>
        <translation>HLS: Die Wiedergabeliste ist größer als 1 MiB</translation>
    </message>
    <message>
        <source>HLS: the playlist could not be loaded (%1)</source>
        <translation>HLS: Die Wiedergabeliste konnte nicht geladen werden (%1)</translation>
    </message>
    <message>
        <source>HLS: the playlist lists no segment</source>
        <translation>HLS: Die Wiedergabeliste nennt kein Segment</translation>
    </message>
    <message>
        <source>HLS: the answer is not an HLS playlist</source>
        <translation>HLS: Die Antwort ist keine HLS-Wiedergabeliste</translation>
    </message>
    <message>
        <source>HLS: %1 segment(s) missed (about %2 s)</source>
        <translation>HLS: %1 Segment(e) verpasst (etwa %2 s)</translation>
    </message>
    <message>
        <source>HLS: this station&apos;s segments are encrypted with SAMPLE-AES, which cannot be recorded</source>
        <translation>HLS: Die Segmente dieses Senders sind mit SAMPLE-AES verschlüsselt und können nicht aufgenommen werden</translation>
    </message>
    <message>
        <source>HLS: the key of segment %1 could not be loaded (%2)</source>
        <translation>HLS: Der Schlüssel von Segment %1 konnte nicht geladen werden (%2)</translation>
    </message>
    <message>
        <source>HLS: segment %1 is larger than 16 MiB and is passed over</source>
        <translation>HLS: Segment %1 ist größer als 16 MiB und wird übergangen</translation>
    </message>
    <message>
        <source>HLS: segment %1 could not be loaded (%2)</source>
        <translation>HLS: Segment %1 konnte nicht geladen werden (%2)</translation>
    </message>
    <message>
        <source>HLS: the key of segment %1 is not 16 bytes: the segment is passed over</source>
        <translation>HLS: Der Schlüssel von Segment %1 ist nicht 16 Bytes lang: Das Segment wird übergangen</translation>
    </message>
    <message>
        <source>HLS: segment %1 could not be decrypted and is passed over</source>
        <translation>HLS: Segment %1 konnte nicht entschlüsselt werden und wird übergangen</translation>
    </message>
    <message>
        <source>HLS: segment %1 is not audio (%2): nothing of it is recorded</source>
        <translation>HLS: Segment %1 ist kein Audio (%2): Nichts davon wird aufgenommen</translation>
    </message>
    <message>
        <source>HLS: segment %1: %2</source>
        <translation>HLS: Segment %1: %2</translation>
    </message>
    <message>
        <source>HLS: segment %1 changes the audio format: it is passed over</source>
        <translation>HLS: Segment %1 wechselt das Audioformat: Es wird übergangen</translation>
    </message>
    <message>
        <source>HLS: the initialization section of segment %1 could not be loaded (%2)</source>
        <translation>HLS: Der Initialisierungsabschnitt von Segment %1 konnte nicht geladen werden (%2)</translation>
    </message>
    <message>
        <source>larger than 1 MiB</source>
        <translation>größer als 1 MiB</translation>
    </message>
    <message>
        <source>HLS: %1</source>
        <translation>HLS: %1</translation>
    </message>
    <message>
        <source>the initialization section is not MP4</source>
        <translation>der Initialisierungsabschnitt ist kein MP4</translation>
    </message>
    <message>
        <source>the fMP4 audio is encrypted, which cannot be recorded</source>
        <translation>das fMP4-Audio ist verschlüsselt und kann nicht aufgenommen werden</translation>
    </message>
    <message>
        <source>the fMP4 audio is not AAC</source>
        <translation>das fMP4-Audio ist kein AAC</translation>
    </message>
    <message>
        <source>the fMP4 audio track has no AAC configuration</source>
        <translation>die fMP4-Audiospur hat keine AAC-Konfiguration</translation>
    </message>
    <message>
        <source>the fMP4 AAC configuration cannot be written as ADTS</source>
        <translation>die fMP4-AAC-Konfiguration lässt sich nicht als ADTS schreiben</translation>
    </message>
    <message>
        <source>the initialization section has no audio track</source>
        <translation>der Initialisierungsabschnitt hat keine Audiospur</translation>
    </message>
    <message>
        <source>an fMP4 box claims more than the segment holds</source>
        <translation>eine fMP4-Box gibt mehr an, als das Segment enthält</translation>
    </message>
    <message>
        <source>an fMP4 fragment lists more samples than it holds</source>
        <translation>ein fMP4-Fragment nennt mehr Samples, als es enthält</translation>
    </message>
    <message>
        <source>an fMP4 sample lies outside the segment</source>
        <translation>ein fMP4-Sample liegt außerhalb des Segments</translation>
    </message>
    <message>
        <source>HLS: the initialization section is encrypted, but its key names no IV</source>
        <translation>HLS: Der Initialisierungsabschnitt ist verschlüsselt, aber sein Schlüssel nennt keinen IV</translation>
    </message>
    <message>
        <source>HLS: the key of the initialization section is not 16 bytes</source>
        <translation>HLS: Der Schlüssel des Initialisierungsabschnitts ist nicht 16 Bytes lang</translation>
    </message>
    <message>
        <source>HLS: the initialization section could not be decrypted</source>
        <translation>HLS: Der Initialisierungsabschnitt konnte nicht entschlüsselt werden</translation>
    </message>
</context>
<context>
    <name>KeptSpinnerValue</name>
    <message>
        <source>%1 is kept as it is: it is %2 this box can show. Change the value here to replace it.</source>
        <translation>%1 bleibt, wie es ist: Der Wert ist %2 dieses Feld zeigen kann. Ändern Sie den Wert hier, um ihn zu ersetzen.</translation>
    </message>
    <message>
        <source>more than</source>
        <translation>mehr, als</translation>
    </message>
    <message>
        <source>less than</source>
        <translation>weniger, als</translation>
    </message>
</context>
<context>
    <name>LastMinutes</name>
    <message>
        <source>nothing of %1 has been heard yet</source>
        <translation>von %1 ist noch nichts zu hören gewesen</translation>
    </message>
    <message>
        <source>%1 cannot be written: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>no file can be made in %1 (%2)</source>
        <translation>in %1 kann keine Datei angelegt werden (%2)</translation>
    </message>
    <message>
        <source>The file of the last minutes failed (%1): they are kept in memory from now on.</source>
        <translation>Die Datei der letzten Minuten versagt (%1): Sie werden von nun an im Speicher gehalten.</translation>
    </message>
    <message>
        <source>The file of the last minutes failed (%1): what was kept of them is lost; they are kept in memory from now on.</source>
        <translation>Die Datei der letzten Minuten versagt (%1): Was von ihnen gehalten wurde, ist verloren; sie werden von nun an im Speicher gehalten.</translation>
    </message>
    <message>
        <source>The last minutes are kept in memory: %1</source>
        <translation>Die letzten Minuten werden im Speicher gehalten: %1</translation>
    </message>
</context>
<context>
    <name>LastPreset</name>
    <message>
        <source>No preset has been recorded yet: there is no last preset to record.</source>
        <translation>Es wurde noch keine Voreinstellung aufgenommen: Es gibt keine letzte Voreinstellung zum Aufnehmen.</translation>
    </message>
    <message>
        <source>The last preset %1 cannot be read (%2).</source>
        <translation>Die letzte Voreinstellung %1 kann nicht gelesen werden (%2).</translation>
    </message>
    <message>
        <source>The last preset %1 cannot be found.</source>
        <translation>Die letzte Voreinstellung %1 ist nicht zu finden.</translation>
    </message>
    <message>
        <source>The last preset %1 is a folder, not a preset file.</source>
        <translation>Die letzte Voreinstellung %1 ist ein Ordner, keine Voreinstellungsdatei.</translation>
    </message>
    <message>
        <source>The last preset %1 is not a preset file.</source>
        <translation>Die letzte Voreinstellung %1 ist keine Voreinstellungsdatei.</translation>
    </message>
</context>
<context>
    <name>LibraryDecode</name>
    <message>
        <source>No %1 audio was found in the file.</source>
        <translation>In der Datei wurde kein %1-Ton gefunden.</translation>
    </message>
    <message>
        <source>The file cannot be read: %1</source>
        <translation>Die Datei kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>The file is empty.</source>
        <translation>Die Datei ist leer.</translation>
    </message>
</context>
<context>
    <name>LibraryModel</name>
    <message>
        <source>%1 B</source>
        <translation>%1 B</translation>
    </message>
    <message>
        <source>%1 KB</source>
        <translation>%1 KB</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <translation>%1 MB</translation>
    </message>
    <message>
        <source>complete</source>
        <translation>vollständig</translation>
    </message>
    <message>
        <source>incomplete</source>
        <translation>unvollständig</translation>
    </message>
    <message>
        <source>version</source>
        <translation>zweite Fassung</translation>
    </message>
    <message>
        <source>cannot be played</source>
        <translation>nicht abspielbar</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Artist</source>
        <translation>Interpret</translation>
    </message>
    <message>
        <source>Station</source>
        <translation>Sender</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Length</source>
        <translation>Länge</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Format</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Zustand</translation>
    </message>
</context>
<context>
    <name>LibraryPlayerBar</name>
    <message>
        <source>Previous</source>
        <translation>Voriger</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Nächster</translation>
    </message>
    <message>
        <source>Position</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>Time played</source>
        <translation>Gespielte Zeit</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be played: %2</source>
        <translation>„%1“ kann nicht abgespielt werden: %2</translation>
    </message>
</context>
<context>
    <name>LibraryScanner</name>
    <message>
        <source>The title history could not follow &quot;%1&quot;: %2</source>
        <translation>Der Titelverlauf konnte „%1“ nicht folgen: %2</translation>
    </message>
</context>
<context>
    <name>LibraryTidy</name>
    <message>
        <source>The file &quot;%1&quot; is not there.</source>
        <translation>Die Datei „%1“ ist nicht vorhanden.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be read as an MP3 file.</source>
        <translation>„%1“ kann nicht als MP3-Datei gelesen werden.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be read as an Ogg Vorbis file.</source>
        <translation>„%1“ kann nicht als Ogg-Vorbis-Datei gelesen werden.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; has no tag that can be written.</source>
        <translation>„%1“ hat kein Tag, das geschrieben werden kann.</translation>
    </message>
    <message>
        <source>The tag of &quot;%1&quot; could not be written.</source>
        <translation>Das Tag von „%1“ konnte nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>A file needs a name.</source>
        <translation>Eine Datei braucht einen Namen.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a file name: it may not hold &quot;/&quot;.</source>
        <translation>„%1“ ist kein Dateiname: Er darf kein „/“ enthalten.</translation>
    </message>
    <message>
        <source>A file name may not hold a zero character.</source>
        <translation>Ein Dateiname darf kein Nullzeichen enthalten.</translation>
    </message>
    <message>
        <source>A file named &quot;%1&quot; exists already.</source>
        <translation>Eine Datei namens „%1“ gibt es schon.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; could not be renamed: %2</source>
        <translation>„%1“ konnte nicht umbenannt werden: %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; could not be moved to the trash: %2</source>
        <translation>„%1“ konnte nicht in den Papierkorb verschoben werden: %2</translation>
    </message>
</context>
<context>
    <name>MediaFilePlayer</name>
    <message>
        <source>The file cannot be played.</source>
        <translation>Die Datei kann nicht abgespielt werden.</translation>
    </message>
    <message>
        <source>No audio output device was found.</source>
        <translation>Es wurde kein Gerät zur Tonausgabe gefunden.</translation>
    </message>
</context>
<context>
    <name>Modules</name>
    <message>
        <source>lib%1.so is in none of %2</source>
        <translation>lib%1.so liegt in keinem von %2</translation>
    </message>
</context>
<context>
    <name>OggRecording</name>
    <message>
        <source>the stream is not Ogg</source>
        <translation>der Stream ist kein Ogg</translation>
    </message>
    <message>
        <source>%1 damaged page(s) dropped</source>
        <translation>%1 beschädigte Seite(n) verworfen</translation>
    </message>
    <message>
        <source>%1 stream(s) of another kind skipped</source>
        <translation>%1 Stream(s) anderer Art übersprungen</translation>
    </message>
    <message>
        <source>%1 song(s) with headers too large skipped</source>
        <translation>%1 Titel mit zu großen Kopfdaten übersprungen</translation>
    </message>
    <message>
        <source>%1 song(s) cut without their end</source>
        <translation>%1 Titel ohne ihr Ende abgeschnitten</translation>
    </message>
    <message>
        <source>Ogg: %1</source>
        <translation>Ogg: %1</translation>
    </message>
    <message>
        <source>[ERR] DISK: Cannot create %1: %2</source>
        <translation>[ERR] DATENTRÄGER: %1 kann nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>[ERR] DISK: Cannot write the recording (%1)</source>
        <translation>[ERR] DATENTRÄGER: Die Aufnahme kann nicht geschrieben werden (%1)</translation>
    </message>
</context>
<context>
    <name>OptionsPage</name>
    <message>
        <source>Advanced Options</source>
        <translation>Erweiterte Optionen</translation>
    </message>
    <message>
        <source>Recordings</source>
        <translation>Aufnahmen</translation>
    </message>
    <message>
        <source>Use External Player</source>
        <translation>Externen Player verwenden</translation>
    </message>
    <message>
        <source>External player</source>
        <translation>Externer Player</translation>
    </message>
    <message>
        <source>Browse for the external player</source>
        <translation>Externen Player auswählen</translation>
    </message>
    <message>
        <source>Timed Recording</source>
        <translation>Zeitgesteuerte Aufnahme</translation>
    </message>
    <message>
        <source>Time of Recording (in minutes):</source>
        <translation>Dauer der Aufnahme (in Minuten):</translation>
    </message>
    <message>
        <source>Exit when timed recording is finished!</source>
        <translation>Beenden, wenn die zeitgesteuerte Aufnahme fertig ist!</translation>
    </message>
    <message>
        <source>Listen to Stream</source>
        <translation>Stream anhören</translation>
    </message>
    <message>
        <source>Start Paused</source>
        <translation>Pausiert starten</translation>
    </message>
    <message>
        <source>Cut songs in the silence between them</source>
        <translation>Titel in der Stille zwischen ihnen schneiden</translation>
    </message>
    <message>
        <source>Write ID3v2 tags</source>
        <translation>ID3v2-Tags schreiben</translation>
    </message>
    <message>
        <source>Notify of saved songs</source>
        <translation>Über gespeicherte Titel benachrichtigen</translation>
    </message>
    <message>
        <source>Notify of connection problems</source>
        <translation>Über Verbindungsprobleme benachrichtigen</translation>
    </message>
    <message>
        <source>Date Mode</source>
        <translation>Datumsmodus</translation>
    </message>
    <message>
        <source>Delete archives after a specified time</source>
        <translation>Archive nach einer festgelegten Zeit löschen</translation>
    </message>
    <message>
        <source>Days to keep recordings:</source>
        <translation>Tage, die Aufnahmen behalten werden:</translation>
    </message>
    <message>
        <source>Archive File Header:</source>
        <translation>Kopf der Archivdatei:</translation>
    </message>
    <message>
        <source>Put covers into the songs</source>
        <translation>Cover in die Songs schreiben</translation>
    </message>
    <message>
        <source>Look up missing covers online</source>
        <translation>Fehlende Cover online suchen</translation>
    </message>
</context>
<context>
    <name>OtherPage</name>
    <message>
        <source>Other</source>
        <translation>Sonstiges</translation>
    </message>
    <message>
        <source>Save MP3s to:</source>
        <translation>MP3-Dateien speichern in:</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Durchsuchen</translation>
    </message>
    <message>
        <source>Title:</source>
        <translation>Titel:</translation>
    </message>
    <message>
        <source>Capture as stream titles</source>
        <translation>Nach Titeln des Streams aufnehmen</translation>
    </message>
    <message>
        <source>Capture as a dated archive</source>
        <translation>Als datiertes Archiv aufnehmen</translation>
    </message>
    <message>
        <source>Capture as a single file</source>
        <translation>Als einzelne Datei aufnehmen</translation>
    </message>
    <message>
        <source>Fake Internet Explorer as web agent</source>
        <translation>Als Internet Explorer ausgeben</translation>
    </message>
    <message>
        <source>Scheduler</source>
        <translation>Planer</translation>
    </message>
    <message>
        <source>Time:</source>
        <translation>Zeit:</translation>
    </message>
    <message>
        <source>Date:</source>
        <translation>Datum:</translation>
    </message>
    <message>
        <source>Play :</source>
        <translation>Abspielen:</translation>
    </message>
    <message>
        <source>Add Task</source>
        <translation>Aufgabe hinzufügen</translation>
    </message>
</context>
<context>
    <name>PageReduce</name>
    <message>
        <source>The rest of this page is too long to be shown here.</source>
        <translation>Der Rest dieser Seite ist zu lang, um hier gezeigt zu werden.</translation>
    </message>
</context>
<context>
    <name>PageView</name>
    <message>
        <source>&lt;h3&gt;The page could not be shown&lt;/h3&gt;&lt;p&gt;%1&lt;/p&gt;&lt;p&gt;%2&lt;/p&gt;</source>
        <translation>&lt;h3&gt;Die Seite konnte nicht angezeigt werden&lt;/h3&gt;&lt;p&gt;%1&lt;/p&gt;&lt;p&gt;%2&lt;/p&gt;</translation>
    </message>
</context>
<context>
    <name>RecorderTray</name>
    <message>
        <source>Set up new recording</source>
        <translation>Neue Aufnahme einrichten</translation>
    </message>
    <message>
        <source>Show Recording Display</source>
        <translation>Aufnahmeanzeige einblenden</translation>
    </message>
    <message>
        <source>Listen to recording</source>
        <translation>Aufnahme anhören</translation>
    </message>
    <message>
        <source>Start Recording</source>
        <translation>Aufnahme starten</translation>
    </message>
    <message>
        <source>Stop Recording</source>
        <translation>Aufnahme beenden</translation>
    </message>
    <message>
        <source>Pause Recording</source>
        <translation>Aufnahme pausieren</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Hide Recording Display</source>
        <translation>Aufnahmeanzeige ausblenden</translation>
    </message>
    <message>
        <source>Stop Recording and Exit</source>
        <translation>Aufnahme beenden und schließen</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Unpause Recording</source>
        <translation>Aufnahme fortsetzen</translation>
    </message>
    <message>
        <source>Stop listening to recording</source>
        <translation>Aufnahme nicht mehr anhören</translation>
    </message>
    <message>
        <source>Stop All</source>
        <translation>Alle beenden</translation>
    </message>
    <message>
        <source>Recordings</source>
        <translation>Aufnahmen</translation>
    </message>
    <message>
        <source>Save the Last Minutes</source>
        <translation>Die letzten Minuten speichern</translation>
    </message>
    <message>
        <source>Save This Song</source>
        <translation>Diesen Titel speichern</translation>
    </message>
</context>
<context>
    <name>RecordingFile</name>
    <message>
        <source>cannot delete the old file %1</source>
        <translation>die alte Datei %1 kann nicht gelöscht werden</translation>
    </message>
    <message>
        <source>%1 is being written by another recorder</source>
        <translation>%1 wird von einem anderen Rekorder geschrieben</translation>
    </message>
    <message>
        <source>no recording file is open</source>
        <translation>keine Aufnahmedatei ist geöffnet</translation>
    </message>
    <message>
        <source>the file takes no more bytes</source>
        <translation>die Datei nimmt keine weiteren Bytes auf</translation>
    </message>
</context>
<context>
    <name>RecordingsModel</name>
    <message>
        <source>Station</source>
        <translation>Sender</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Zustand</translation>
    </message>
    <message>
        <source>Song</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Elapsed</source>
        <translation>Dauer</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Bit Rate</source>
        <translation>Bitrate</translation>
    </message>
    <message>
        <source>error: %1</source>
        <translation>Fehler: %1</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>beendet</translation>
    </message>
    <message>
        <source>error: status %1</source>
        <translation>Fehler: Status %1</translation>
    </message>
    <message>
        <source>paused</source>
        <translation>angehalten</translation>
    </message>
    <message>
        <source>connecting</source>
        <translation>verbindet</translation>
    </message>
    <message>
        <source>recording</source>
        <translation>nimmt auf</translation>
    </message>
    <message>
        <source>reconnecting</source>
        <translation>verbindet erneut</translation>
    </message>
    <message>
        <source>%1 kbit/s</source>
        <translation>%1 kbit/s</translation>
    </message>
    <message>
        <source>%1 stations recording</source>
        <translation>%1 Sender nehmen auf</translation>
    </message>
    <message>
        <source>watching</source>
        <translation>beobachtet</translation>
    </message>
</context>
<context>
    <name>RecordingsPane</name>
    <message>
        <source>Recordings</source>
        <translation>Aufnahmen</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Listen</source>
        <translation>Anhören</translation>
    </message>
    <message>
        <source>Open Folder</source>
        <translation>Ordner öffnen</translation>
    </message>
    <message>
        <source>Save the Last Minutes</source>
        <translation>Die letzten Minuten speichern</translation>
    </message>
    <message>
        <source>Save This Song</source>
        <translation>Diesen Titel speichern</translation>
    </message>
</context>
<context>
    <name>RuleLists</name>
    <message>
        <source>the wish list</source>
        <translation>Wunschliste</translation>
    </message>
    <message>
        <source>the ignore list</source>
        <translation>Ausschlussliste</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be put on %2.</source>
        <translation>„%1“ kann nicht auf die %2 gesetzt werden.</translation>
    </message>
    <message>
        <source>%1: it is not changed here; edit it in a text editor.</source>
        <translation>%1: Die Datei wird hier nicht geändert; bearbeiten Sie sie in einem Texteditor.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is on %2 already.</source>
        <translation>„%1“ steht schon auf der %2.</translation>
    </message>
    <message>
        <source>%1 could not be saved in %2.</source>
        <translation>%1 konnte nicht in %2 gespeichert werden.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was added to %2.</source>
        <translation>„%1“ wurde der %2 hinzugefügt.</translation>
    </message>
</context>
<context>
    <name>SearchFetch</name>
    <message>
        <source>the packed bytes are broken</source>
        <translation>die gepackten Bytes sind beschädigt</translation>
    </message>
    <message>
        <source>Done.</source>
        <translation>Fertig.</translation>
    </message>
    <message>
        <source>The server answered with error %1.</source>
        <translation>Der Server antwortete mit Fehler %1.</translation>
    </message>
    <message>
        <source>The server could not be reached: %1</source>
        <translation>Der Server war nicht erreichbar: %1</translation>
    </message>
    <message>
        <source>The server did not answer in time; the search was stopped.</source>
        <translation>Der Server hat nicht rechtzeitig geantwortet; die Suche wurde beendet.</translation>
    </message>
    <message>
        <source>The search was cancelled.</source>
        <translation>Die Suche wurde abgebrochen.</translation>
    </message>
    <message>
        <source>The answer was too large; only its beginning was read.</source>
        <translation>Die Antwort war zu groß; nur ihr Anfang wurde gelesen.</translation>
    </message>
    <message>
        <source>The server&apos;s answer could not be unpacked (%1).</source>
        <translation>Die Antwort des Servers konnte nicht entpackt werden (%1).</translation>
    </message>
    <message>
        <source>The server&apos;s answer was cut short after %1 bytes (%2).</source>
        <translation>Die Antwort des Servers brach nach %1 Bytes ab (%2).</translation>
    </message>
</context>
<context>
    <name>SideBySideRun</name>
    <message>
        <source>%1 is caught on %2 already</source>
        <translation>%1 wird schon auf %2 aufgenommen</translation>
    </message>
    <message>
        <source>Caught on %1: %2</source>
        <translation>Auf %1 aufgenommen: %2</translation>
    </message>
    <message>
        <source>The last minutes could not be saved: %1</source>
        <translation>Die letzten Minuten konnten nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <source>Saved the last minutes: %1</source>
        <translation>Die letzten Minuten gespeichert: %1</translation>
    </message>
</context>
<context>
    <name>SongKeeper</name>
    <message>
        <source>[ERR] Song rules: %1</source>
        <translation>[ERR] Titelregeln: %1</translation>
    </message>
    <message>
        <source>Skipped: %1 (not on the wish list)</source>
        <translation>Übersprungen: %1 (nicht auf der Wunschliste)</translation>
    </message>
    <message>
        <source>Skipped: %1</source>
        <translation>Übersprungen: %1</translation>
    </message>
    <message>
        <source>Now Recording a wished song: %1</source>
        <translation>Aufnahme läuft, ein Wunschtitel: %1</translation>
    </message>
    <message>
        <source>[ERR] DISK: Cannot create the folder %1</source>
        <translation>[ERR] DATENTRÄGER: Der Ordner %1 kann nicht angelegt werden</translation>
    </message>
</context>
<context>
    <name>SongRules</name>
    <message>
        <source>%1: %2 more lines skipped</source>
        <translation>%1: %2 weitere Zeilen übersprungen</translation>
    </message>
    <message>
        <source>%1 line %2: %3; skipped</source>
        <translation>%1 Zeile %2: %3; übersprungen</translation>
    </message>
    <message>
        <source>not text</source>
        <translation>kein Text</translation>
    </message>
    <message>
        <source>a regular expression may not set its own options with &quot;(*&quot;</source>
        <translation>ein regulärer Ausdruck darf mit „(*“ keine eigenen Optionen setzen</translation>
    </message>
    <message>
        <source>the regular expression does not compile (%1)</source>
        <translation>der reguläre Ausdruck ist fehlerhaft (%1)</translation>
    </message>
    <message>
        <source>not a rule of the form /regex/replacement/</source>
        <translation>keine Regel der Form /regex/ersetzung/</translation>
    </message>
    <message>
        <source>%1 %2; not used</source>
        <translation>%1 %2; nicht verwendet</translation>
    </message>
    <message>
        <source>Only wished songs are kept, but WishList.txt names none: no song is kept</source>
        <translation>Nur Wunschtitel werden behalten, aber WishList.txt nennt keinen: Kein Titel wird behalten</translation>
    </message>
    <message>
        <source>The file-name pattern names a folder outside the save folder; its files are kept inside it</source>
        <translation>Das Dateinamenmuster nennt einen Ordner außerhalb des Speicherordners; seine Dateien bleiben im Speicherordner</translation>
    </message>
    <message>
        <source>The file-name pattern names more than %1 folders; the rest are left out</source>
        <translation>Das Dateinamenmuster nennt mehr als %1 Ordner; die übrigen werden weggelassen</translation>
    </message>
    <message>
        <source>%1 holds lines longer than %2 bytes</source>
        <translation>%1 enthält Zeilen, die länger als %2 Bytes sind</translation>
    </message>
    <message>
        <source>%1 line %2 is not text</source>
        <translation>%1 Zeile %2 ist kein Text</translation>
    </message>
</context>
<context>
    <name>SongRulesGroup</name>
    <message>
        <source>Off</source>
        <translation>Aus</translation>
    </message>
    <message>
        <source>Song rules</source>
        <translation>Titelregeln</translation>
    </message>
    <message>
        <source>Ignore list</source>
        <translation>Ausschlussliste</translation>
    </message>
    <message>
        <source>Wish list</source>
        <translation>Wunschliste</translation>
    </message>
    <message>
        <source>Titles never recorded, one a line: * and ? wildcards, /regex/, # comments</source>
        <translation>Titel, die nie aufgenommen werden, einer je Zeile: Platzhalter * und ?, /regex/, # Kommentare</translation>
    </message>
    <message>
        <source>Wished titles, one a line: * and ? wildcards, /regex/, # comments</source>
        <translation>Gewünschte Titel, einer je Zeile: Platzhalter * und ?, /regex/, # Kommentare</translation>
    </message>
    <message>
        <source>Keep only songs on the wish list</source>
        <translation>Nur Titel der Wunschliste behalten</translation>
    </message>
    <message>
        <source>Shortest song kept</source>
        <translation>Kürzester behaltener Titel</translation>
    </message>
    <message>
        <source>Longest song before a new part</source>
        <translation>Längster Titel vor einem neuen Teil</translation>
    </message>
    <message>
        <source>Put songs not recorded whole in the &quot;incomplete&quot; folder</source>
        <translation>Nicht vollständig aufgenommene Titel in den Ordner „incomplete“ legen</translation>
    </message>
    <message>
        <source>File-name pattern</source>
        <translation>Dateinamen-Muster</translation>
    </message>
    <message>
        <source>%S station, %A artist, %T title, %D date and time, %q number, / sub-folder; empty: the title</source>
        <translation>%S Sender, %A Interpret, %T Titel, %D Datum und Uhrzeit, %q Nummer, / Unterordner; leer: der Titel</translation>
    </message>
    <message>
        <source>Ignore list:</source>
        <translation>Ausschlussliste:</translation>
    </message>
    <message>
        <source>Wish list:</source>
        <translation>Wunschliste:</translation>
    </message>
    <message>
        <source>Shortest song:</source>
        <translation>Kürzester Titel:</translation>
    </message>
    <message>
        <source>Longest song:</source>
        <translation>Längster Titel:</translation>
    </message>
    <message>
        <source>File names:</source>
        <translation>Dateinamen:</translation>
    </message>
    <message>
        <source>The lists could not be saved in %1</source>
        <translation>Die Listen konnten nicht in %1 gespeichert werden</translation>
    </message>
    <message>
        <source>Station</source>
        <translation>Sender</translation>
    </message>
    <message>
        <source>Artist - Title</source>
        <translation>Interpret - Titel</translation>
    </message>
    <message>
        <source>Next file: %1</source>
        <translation>Nächste Datei: %1</translation>
    </message>
    <message>
        <source>%1 holds characters this editor cannot keep</source>
        <translation>%1 enthält Zeichen, die dieses Eingabefeld nicht bewahren kann</translation>
    </message>
    <message>
        <source>%1: it is not changed here; edit it in a text editor.</source>
        <translation>%1: Die Datei wird hier nicht geändert; bearbeiten Sie sie in einem Texteditor.</translation>
    </message>
</context>
<context>
    <name>SongSaver</name>
    <message>
        <source>this song is being saved already</source>
        <translation>dieser Titel wird bereits gespeichert</translation>
    </message>
    <message>
        <source>no song has begun yet</source>
        <translation>es hat noch kein Titel begonnen</translation>
    </message>
    <message>
        <source>the song began before the minutes kept</source>
        <translation>der Titel begann vor den behaltenen Minuten</translation>
    </message>
    <message>
        <source>%1 cannot be written: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>StationSearch</name>
    <message>
        <source>The directory&apos;s answer could not be read: it is not JSON (%1 at byte %2).</source>
        <translation>Die Antwort des Verzeichnisses konnte nicht gelesen werden: Sie ist kein JSON (%1 bei Byte %2).</translation>
    </message>
    <message>
        <source>The directory&apos;s answer is not a list of stations.</source>
        <translation>Die Antwort des Verzeichnisses ist keine Senderliste.</translation>
    </message>
    <message>
        <source>The station has no stream address that can be recorded.</source>
        <translation>Der Sender hat keine Streamadresse, die aufgenommen werden kann.</translation>
    </message>
    <message>
        <source>The folder %1 could not be created.</source>
        <translation>Der Ordner %1 konnte nicht angelegt werden.</translation>
    </message>
    <message>
        <source>No free file name for %1 in %2.</source>
        <translation>Kein freier Dateiname für %1 in %2.</translation>
    </message>
    <message>
        <source>The playlist %1 could not be written: %2</source>
        <translation>Die Wiedergabeliste %1 konnte nicht geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>StationsPage</name>
    <message>
        <source>Control Panel</source>
        <translation>Bedienfeld</translation>
    </message>
    <message>
        <source>Stations</source>
        <translation>Sender</translation>
    </message>
    <message>
        <source>Add Station</source>
        <translation>Sender hinzufügen</translation>
    </message>
    <message>
        <source>Edit Station</source>
        <translation>Sender bearbeiten</translation>
    </message>
    <message>
        <source>Remove Station</source>
        <translation>Sender entfernen</translation>
    </message>
    <message>
        <source>Preview/Listen</source>
        <translation>Vorhören/Anhören</translation>
    </message>
    <message>
        <source>Open Preset File</source>
        <translation>Vorlagendatei öffnen</translation>
    </message>
    <message>
        <source>Save Preset File</source>
        <translation>Vorlagendatei speichern</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Aufnehmen</translation>
    </message>
    <message>
        <source>Connecting... Please Wait...</source>
        <translation>Verbinde ... Bitte warten ...</translation>
    </message>
</context>
<context>
    <name>StreamPlayer</name>
    <message>
        <source>No audio output device</source>
        <translation>Kein Audioausgabegerät</translation>
    </message>
    <message>
        <source>Nothing to play</source>
        <translation>Nichts abzuspielen</translation>
    </message>
    <message>
        <source>The stream has ended</source>
        <translation>Der Stream ist zu Ende</translation>
    </message>
    <message>
        <source>The stream server&apos;s answer could not be read</source>
        <translation>Die Antwort des Streamservers konnte nicht gelesen werden</translation>
    </message>
    <message>
        <source>The stream server refused the player</source>
        <translation>Der Streamserver hat den Player abgewiesen</translation>
    </message>
    <message>
        <source>No Ogg decoder</source>
        <translation>Kein Ogg-Decoder</translation>
    </message>
    <message>
        <source>No AAC decoder</source>
        <translation>Kein AAC-Decoder</translation>
    </message>
</context>
<context>
    <name>SystemAudio</name>
    <message>
        <source>No audio output: %1</source>
        <translation>Keine Audioausgabe: %1</translation>
    </message>
    <message>
        <source>No Ogg decoder: %1</source>
        <translation>Kein Ogg-Decoder: %1</translation>
    </message>
    <message>
        <source>No file player: %1</source>
        <translation>Kein Dateiabspieler: %1</translation>
    </message>
    <message>
        <source>No AAC decoder: %1</source>
        <translation>Kein AAC-Decoder: %1</translation>
    </message>
</context>
<context>
    <name>TextFile</name>
    <message>
        <source>%1 MiB</source>
        <translation>%1 MiB</translation>
    </message>
    <message>
        <source>%1 KiB</source>
        <translation>%1 KiB</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 Bytes</translation>
    </message>
    <message>
        <source>could not be read (%1)</source>
        <translation>konnte nicht gelesen werden (%1)</translation>
    </message>
    <message>
        <source>does not exist</source>
        <translation>existiert nicht</translation>
    </message>
    <message>
        <source>is a folder</source>
        <translation>ist ein Ordner</translation>
    </message>
    <message>
        <source>is not a regular file</source>
        <translation>ist keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>is larger than %1</source>
        <translation>ist größer als %1</translation>
    </message>
</context>
<context>
    <name>TitleChartModel</name>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Plays</source>
        <translation>Gespielt</translation>
    </message>
    <message>
        <source>Stations</source>
        <translation>Sender</translation>
    </message>
    <message>
        <source>Last Heard</source>
        <translation>Zuletzt gehört</translation>
    </message>
</context>
<context>
    <name>TitlePlaysModel</name>
    <message>
        <source>complete</source>
        <translation>vollständig</translation>
    </message>
    <message>
        <source>incomplete</source>
        <translation>unvollständig</translation>
    </message>
    <message>
        <source>skipped</source>
        <translation>übersprungen</translation>
    </message>
    <message>
        <source>version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>playing</source>
        <translation>läuft</translation>
    </message>
    <message>
        <source>Station</source>
        <translation>Sender</translation>
    </message>
    <message>
        <source>Heard</source>
        <translation>Gehört</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Zustand</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
</context>
<context>
    <name>WebPage</name>
    <message>
        <source>Sign in</source>
        <translation>Anmelden</translation>
    </message>
    <message>
        <source>Token (in server-token in the config folder)</source>
        <translation>Token (in server-token im Konfigurationsordner)</translation>
    </message>
    <message>
        <source>Recordings</source>
        <translation>Aufnahmen</translation>
    </message>
    <message>
        <source>Nothing is recorded or watched.</source>
        <translation>Nichts wird aufgenommen oder beobachtet.</translation>
    </message>
    <message>
        <source>Stations</source>
        <translation>Sender</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Playlist address</source>
        <translation>Playlist-Adresse</translation>
    </message>
    <message>
        <source>Add station</source>
        <translation>Sender hinzufügen</translation>
    </message>
    <message>
        <source>Scheduled</source>
        <translation>Geplant</translation>
    </message>
    <message>
        <source>Nothing is scheduled.</source>
        <translation>Nichts ist geplant.</translation>
    </message>
    <message>
        <source>Station</source>
        <translation>Sender</translation>
    </message>
    <message>
        <source>Starts</source>
        <translation>Beginnt</translation>
    </message>
    <message>
        <source>Schedule</source>
        <translation>Planen</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>No files yet.</source>
        <translation>Noch keine Dateien.</translation>
    </message>
    <message>
        <source>History</source>
        <translation>Verlauf</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Anzeigen</translation>
    </message>
    <message>
        <source>Began</source>
        <translation>Begann</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Zustand</translation>
    </message>
    <message>
        <source>Signed out.</source>
        <translation>Abgemeldet.</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Aufnehmen</translation>
    </message>
    <message>
        <source>Watch</source>
        <translation>Beobachten</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>Fortsetzen</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Herunterladen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Move %1 to the trash?</source>
        <translation>%1 in den Papierkorb verschieben?</translation>
    </message>
    <message>
        <source>The connection to the server was lost; it is tried again.</source>
        <translation>Die Verbindung zum Server ist unterbrochen; sie wird erneut versucht.</translation>
    </message>
    <message>
        <source>connecting</source>
        <translation>verbindet</translation>
    </message>
    <message>
        <source>recording</source>
        <translation>nimmt auf</translation>
    </message>
    <message>
        <source>watching</source>
        <translation>beobachtet</translation>
    </message>
    <message>
        <source>paused</source>
        <translation>pausiert</translation>
    </message>
    <message>
        <source>reconnecting</source>
        <translation>verbindet erneut</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>beendet</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>fehlgeschlagen</translation>
    </message>
    <message>
        <source>complete</source>
        <translation>vollständig</translation>
    </message>
    <message>
        <source>incomplete</source>
        <translation>unvollständig</translation>
    </message>
    <message>
        <source>skipped</source>
        <translation>übersprungen</translation>
    </message>
    <message>
        <source>version</source>
        <translation>Version</translation>
    </message>
</context>
<context>
    <name>XdgClassRegistry</name>
    <message>
        <source>%1 %2; it was left unchanged.</source>
        <translation>%1 %2; sie blieb unverändert.</translation>
    </message>
    <message>
        <source>%1 is a loop of links; it was left unchanged.</source>
        <translation>%1 ist eine Schleife von Verknüpfungen; sie blieb unverändert.</translation>
    </message>
    <message>
        <source>%1 leads to %2, outside your own folders; it was left unchanged.</source>
        <translation>%1 führt zu %2, außerhalb Ihrer eigenen Ordner; sie blieb unverändert.</translation>
    </message>
    <message>
        <source>%1 could not be written (the folder %2 could not be created).</source>
        <translation>%1 konnte nicht geschrieben werden (der Ordner %2 konnte nicht angelegt werden).</translation>
    </message>
    <message>
        <source>%1 could not be written (%2).</source>
        <translation>%1 konnte nicht geschrieben werden (%2).</translation>
    </message>
    <message>
        <source>%1 could not be removed (%2).</source>
        <translation>%1 konnte nicht entfernt werden (%2).</translation>
    </message>
</context>
<context>
    <name>cURI</name>
    <message>
        <source>The address &quot;%1&quot; begins with &quot;:&quot; and names no protocol</source>
        <translation>Die Adresse „%1“ beginnt mit „:“ und nennt kein Protokoll</translation>
    </message>
    <message>
        <source>&quot;%1&quot; in &quot;%2&quot; is not a port (1 to 65535)</source>
        <translation>„%1“ in „%2“ ist kein Port (1 bis 65535)</translation>
    </message>
</context>
<context>
    <name>ctlLive365TitleReader</name>
    <message>
        <source>Connection error to Live365 playlist server!</source>
        <translation>Verbindungsfehler zum Live365-Wiedergabelistenserver!</translation>
    </message>
    <message>
        <source>Timeout connecting to Live365 playlist server!</source>
        <translation>Zeitüberschreitung beim Verbinden mit dem Live365-Wiedergabelistenserver!</translation>
    </message>
    <message>
        <source>Connection error reading Live365 name!</source>
        <translation>Verbindungsfehler beim Lesen des Live365-Namens!</translation>
    </message>
    <message>
        <source>Timeout reading Live365 name!</source>
        <translation>Zeitüberschreitung beim Lesen des Live365-Namens!</translation>
    </message>
    <message>
        <source>Could not find broadcast information!</source>
        <translation>Keine Sendungsinformationen gefunden!</translation>
    </message>
    <message>
        <source>Connection error getting Live365 playlist information!</source>
        <translation>Verbindungsfehler beim Abrufen der Live365-Wiedergabelisteninformationen!</translation>
    </message>
    <message>
        <source>Timeout reading Live365 playlist information</source>
        <translation>Zeitüberschreitung beim Lesen der Live365-Wiedergabelisteninformationen</translation>
    </message>
    <message>
        <source>Could not find playlist information</source>
        <translation>Keine Wiedergabelisteninformationen gefunden</translation>
    </message>
    <message>
        <source>Unknown error connecting to live 365 playlist server!</source>
        <translation>Unbekannter Fehler beim Verbinden mit dem Live365-Wiedergabelistenserver!</translation>
    </message>
</context>
<context>
    <name>ctlMP3Server</name>
    <message>
        <source>Another recorder is relaying on %1:%2; this one records without relaying</source>
        <translation>Ein anderer Rekorder leitet auf %1:%2 weiter; dieser nimmt ohne Weiterleitung auf</translation>
    </message>
    <message>
        <source>Invalid request!</source>
        <translation>Ungültige Anfrage!</translation>
    </message>
</context>
<context>
    <name>ctlURIGrabber</name>
    <message>
        <source>Winsock error on loading playlist file!</source>
        <translation>Socketfehler beim Laden der Wiedergabelistendatei!</translation>
    </message>
    <message>
        <source>Timeout connecting to remote site!</source>
        <translation>Zeitüberschreitung beim Verbinden mit der entfernten Seite!</translation>
    </message>
    <message>
        <source>Invalid URL or network error! Please make sure that the playlist file location is correct.</source>
        <translation>Ungültige URL oder Netzwerkfehler! Bitte prüfen Sie, ob der Ort der Wiedergabelistendatei stimmt.</translation>
    </message>
    <message>
        <source>Bad playlist filename!</source>
        <translation>Ungültiger Dateiname der Wiedergabeliste!</translation>
    </message>
    <message>
        <source>The M3U file does not contain a proper HTTP reference in the filename!</source>
        <translation>Die M3U-Datei enthält keinen gültigen HTTP-Verweis!</translation>
    </message>
    <message>
        <source>The PLS file is formatted incorrectly!</source>
        <translation>Die PLS-Datei ist falsch aufgebaut!</translation>
    </message>
    <message>
        <source>This Ogg address is a file, not a stream: only Ogg streams can be recorded!</source>
        <translation>Diese Ogg-Adresse ist eine Datei, kein Stream: Nur Ogg-Streams können aufgenommen werden!</translation>
    </message>
    <message>
        <source>The playlist file is too large (more than 16 MiB)!</source>
        <translation>Die Wiedergabelistendatei ist zu groß (mehr als 16 MiB)!</translation>
    </message>
    <message>
        <source>The playlist is not a regular file!</source>
        <translation>Die Wiedergabeliste ist keine gewöhnliche Datei!</translation>
    </message>
    <message>
        <source>Unknown error retrieving playlist!</source>
        <translation>Unbekannter Fehler beim Abrufen der Wiedergabeliste!</translation>
    </message>
    <message>
        <source>The meta-refresh data passed to the Tavrix is malformed. <byte value="xd"/>
Source:<byte value="xd"/>
%1</source>
        <translation>Die an Tavrix übergebenen Meta-Refresh-Daten sind fehlerhaft. <byte value="xd"/>
Quelle:<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>This HLS playlist file lists the parts of a stream, not a station: record the address it came from instead!</source>
        <translation>Diese HLS-Playlist-Datei listet die Teile eines Streams, keinen Sender: Nehmen Sie stattdessen die Adresse auf, von der sie stammt!</translation>
    </message>
</context>
<context>
    <name>frmAddStation</name>
    <message>
        <source>Add Station</source>
        <translation>Sender hinzufügen</translation>
    </message>
    <message>
        <source>Station Name :</source>
        <translation>Sendername:</translation>
    </message>
    <message>
        <source>Station Name</source>
        <translation>Sendername</translation>
    </message>
    <message>
        <source>Station URL :</source>
        <translation>Senderadresse:</translation>
    </message>
    <message>
        <source>Station URL</source>
        <translation>Senderadresse</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>frmAreYouSure</name>
    <message>
        <source>Are You Sure You Want To Quit?</source>
        <translation>Wirklich beenden?</translation>
    </message>
    <message>
        <source>We are recording! Are you sure you wish to quit?</source>
        <translation>Es wird aufgenommen! Wirklich beenden?</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Ja</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;Nein</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Nein</translation>
    </message>
    <message>
        <source>%1 (No in %2 s)</source>
        <translation>%1 (Nein in %2 s)</translation>
    </message>
</context>
<context>
    <name>frmBrowser</name>
    <message>
        <source>ShoutCast Searcher</source>
        <translation>ShoutCast-Suche</translation>
    </message>
    <message>
        <source>Search Option (you can drag/drop URL to List)</source>
        <translation>Suchoptionen (Adressen lassen sich in die Liste ziehen)</translation>
    </message>
    <message>
        <source>Search by :</source>
        <translation>Suchen nach:</translation>
    </message>
    <message>
        <source>Search by</source>
        <translation>Suchen nach</translation>
    </message>
    <message>
        <source>Keyword</source>
        <translation>Suchwort</translation>
    </message>
    <message>
        <source>Genre</source>
        <translation>Genre</translation>
    </message>
    <message>
        <source>Radio Browser</source>
        <translation>Radio Browser</translation>
    </message>
    <message>
        <source>Keyword :</source>
        <translation>Suchwort:</translation>
    </message>
    <message>
        <source>Genre :</source>
        <translation>Genre:</translation>
    </message>
    <message>
        <source>Bitrate:</source>
        <translation>Bitrate:</translation>
    </message>
    <message>
        <source>Bitrate</source>
        <translation>Bitrate</translation>
    </message>
    <message>
        <source>Kb/s (9999 = all bitrate)</source>
        <translation>Kb/s (9999 = alle Bitraten)</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Tag :</source>
        <translation>Schlagwort:</translation>
    </message>
    <message>
        <source>Tag</source>
        <translation>Schlagwort</translation>
    </message>
    <message>
        <source>Country code :</source>
        <translation>Ländercode:</translation>
    </message>
    <message>
        <source>Country code</source>
        <translation>Ländercode</translation>
    </message>
    <message>
        <source>Codec :</source>
        <translation>Codec:</translation>
    </message>
    <message>
        <source>Codec</source>
        <translation>Codec</translation>
    </message>
    <message>
        <source>Min. Kb/s :</source>
        <translation>Min. Kb/s:</translation>
    </message>
    <message>
        <source>Minimum bitrate</source>
        <translation>Mindestbitrate</translation>
    </message>
    <message>
        <source>Search result page</source>
        <translation>Seite mit Suchergebnissen</translation>
    </message>
    <message>
        <source>Only the first %1 stations are dragged at once; &quot;Add Station&quot; adds any number.</source>
        <translation>Nur die ersten %1 Sender werden auf einmal gezogen; „Sender hinzufügen“ fügt beliebig viele hinzu.</translation>
    </message>
    <message>
        <source>Stations found</source>
        <translation>Gefundene Sender</translation>
    </message>
    <message>
        <source>Double-click, drag or &quot;Add Station&quot; to add a station to the Station List</source>
        <translation>Doppelklick, Ziehen oder „Sender hinzufügen“ fügt einen Sender der Senderliste hinzu</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Bit Rate</source>
        <translation>Bitrate</translation>
    </message>
    <message>
        <source>Country</source>
        <translation>Land</translation>
    </message>
    <message>
        <source>Tags</source>
        <translation>Schlagwörter</translation>
    </message>
    <message>
        <source>Votes</source>
        <translation>Stimmen</translation>
    </message>
    <message>
        <source>Searching</source>
        <translation>Suche läuft</translation>
    </message>
    <message>
        <source>Add Station</source>
        <translation>Sender hinzufügen</translation>
    </message>
    <message>
        <source>Loading %1 ...</source>
        <translation>Lade %1 ...</translation>
    </message>
    <message>
        <source>Searching %1 ...</source>
        <translation>Durchsuche %1 ...</translation>
    </message>
    <message>
        <source>Name :</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>%1 stations are listed; the rest was left out.</source>
        <translation>%1 Sender werden angezeigt; der Rest wurde ausgelassen.</translation>
    </message>
    <message>
        <source>%1 of %2 stations could not be added:</source>
        <translation>%1 von %2 Sendern konnten nicht hinzugefügt werden:</translation>
    </message>
    <message>
        <source>
... and %1 more.</source>
        <translation>
... und %1 weitere.</translation>
    </message>
    <message>
        <source>The directory&apos;s answer is larger than %1 MiB; no station was read.</source>
        <translation>Die Antwort des Verzeichnisses ist größer als %1 MiB; kein Sender wurde gelesen.</translation>
    </message>
    <message>
        <source>The directory&apos;s answer could not be unpacked (%1); no station was read.</source>
        <translation>Die Antwort des Verzeichnisses konnte nicht entpackt werden (%1); kein Sender wurde gelesen.</translation>
    </message>
    <message>
        <source>The directory&apos;s answer was cut short after %1 bytes; no station was read.</source>
        <translation>Die Antwort des Verzeichnisses brach nach %1 Bytes ab; kein Sender wurde gelesen.</translation>
    </message>
    <message>
        <source>Reading the stations ...</source>
        <translation>Sender werden gelesen ...</translation>
    </message>
    <message>
        <source>Listing the stations ... %1 of %2</source>
        <translation>Sender werden aufgelistet ... %1 von %2</translation>
    </message>
    <message>
        <source>1 station found.</source>
        <translation>1 Sender gefunden.</translation>
    </message>
    <message>
        <source>%1 stations found.</source>
        <translation>%1 Sender gefunden.</translation>
    </message>
    <message>
        <source> %1 without a stream address left out.</source>
        <translation> %1 ohne Streamadresse ausgelassen.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was added to the Station List.</source>
        <translation>„%1“ wurde der Senderliste hinzugefügt.</translation>
    </message>
    <message>
        <source>Adding stations ... %1 of %2</source>
        <translation>Sender werden hinzugefügt ... %1 von %2</translation>
    </message>
    <message>
        <source>%1 stations were added to the Station List.</source>
        <translation>%1 Sender wurden der Senderliste hinzugefügt.</translation>
    </message>
    <message>
        <source> Adding was stopped.</source>
        <translation> Das Hinzufügen wurde angehalten.</translation>
    </message>
</context>
<context>
    <name>frmHelp</name>
    <message>
        <source>User&apos;s guide</source>
        <translation>Benutzerhandbuch</translation>
    </message>
    <message>
        <source>&amp;Back</source>
        <translation>&amp;Zurück</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>&amp;Contents</source>
        <translation>&amp;Inhalt</translation>
    </message>
    <message>
        <source>Contents</source>
        <translation>Inhalt</translation>
    </message>
</context>
<context>
    <name>frmLibrary</name>
    <message>
        <source>Recordings</source>
        <translation>Aufnahmen</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Suche</translation>
    </message>
    <message>
        <source>Search the recordings</source>
        <translation>Die Aufnahmen durchsuchen</translation>
    </message>
    <message>
        <source>Station</source>
        <translation>Sender</translation>
    </message>
    <message>
        <source>All stations</source>
        <translation>Alle Sender</translation>
    </message>
    <message>
        <source>Since</source>
        <translation>Seit</translation>
    </message>
    <message>
        <source>Only recordings since a day</source>
        <translation>Nur Aufnahmen seit einem Tag</translation>
    </message>
    <message>
        <source>First day</source>
        <translation>Erster Tag</translation>
    </message>
    <message>
        <source>Rename</source>
        <translation>Umbenennen</translation>
    </message>
    <message>
        <source>Edit Tag</source>
        <translation>Tag bearbeiten</translation>
    </message>
    <message>
        <source>Move to Trash</source>
        <translation>In den Papierkorb</translation>
    </message>
    <message>
        <source>Open Folder</source>
        <translation>Ordner öffnen</translation>
    </message>
    <message>
        <source>Keep the Longest Complete One</source>
        <translation>Die längste vollständige behalten</translation>
    </message>
    <message>
        <source>Send to Discwright</source>
        <translation>An Discwright senden</translation>
    </message>
    <message>
        <source>Library status</source>
        <translation>Zustand der Aufnahmen</translation>
    </message>
    <message numerus="yes">
        <source>%n recording(s), looking for more</source>
        <translation>
            <numerusform>%n Aufnahme, weitere werden gesucht</numerusform>
            <numerusform>%n Aufnahmen, weitere werden gesucht</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n recording(s)</source>
        <translation>
            <numerusform>%n Aufnahme</numerusform>
            <numerusform>%n Aufnahmen</numerusform>
        </translation>
    </message>
    <message>
        <source>New file name:</source>
        <translation>Neuer Dateiname:</translation>
    </message>
    <message>
        <source>Artist</source>
        <translation>Interpret</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Comment</source>
        <translation>Kommentar</translation>
    </message>
    <message>
        <source>Discwright could not be started.</source>
        <translation>Discwright konnte nicht gestartet werden.</translation>
    </message>
</context>
<context>
    <name>frmLocalSearch</name>
    <message>
        <source>Local Preset Searcher</source>
        <translation>Suche in lokalen Vorlagen</translation>
    </message>
    <message>
        <source>Search Local Presets</source>
        <translation>Lokale Vorlagen durchsuchen</translation>
    </message>
    <message>
        <source>Enter Keyword :</source>
        <translation>Suchwort eingeben:</translation>
    </message>
    <message>
        <source>Keyword</source>
        <translation>Suchwort</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Add Station</source>
        <translation>Sender hinzufügen</translation>
    </message>
    <message>
        <source>Presets found</source>
        <translation>Gefundene Vorlagen</translation>
    </message>
    <message>
        <source>Double-click to Add an item to Station List</source>
        <translation>Doppelklick fügt einen Eintrag der Senderliste hinzu</translation>
    </message>
    <message>
        <source>There are no presets in %1.</source>
        <translation>In %1 gibt es keine Vorlagen.</translation>
    </message>
    <message>
        <source>No preset in %1 has a station title containing &quot;%2&quot;.</source>
        <translation>Keine Vorlage in %1 hat einen Sendertitel, der „%2“ enthält.</translation>
    </message>
</context>
<context>
    <name>frmMP3</name>
    <message>
        <source>Initializing...</source>
        <translation>Wird gestartet...</translation>
    </message>
    <message>
        <source>The preset file specified does not exist!</source>
        <translation>Die angegebene Vorlagendatei existiert nicht!</translation>
    </message>
    <message>
        <source>The preset file is invalid! (Check that there are six lines exactly)</source>
        <translation>Die Vorlagendatei ist ungültig! (Prüfen Sie, ob sie genau sechs Zeilen hat)</translation>
    </message>
    <message>
        <source>This is not a supported filetype to load! (Tavrix currently only supports preset files (.tvp) and Shoutcase playlists (.pls)!)</source>
        <translation>Dieser Dateityp kann nicht geladen werden! (Tavrix unterstützt derzeit nur Vorlagendateien (.tvp) und Shoutcast-Wiedergabelisten (.pls)!)</translation>
    </message>
    <message>
        <source>Connecting to %1...</source>
        <translation>Verbinde mit %1...</translation>
    </message>
    <message>
        <source>Empty MP3 server list due to error!</source>
        <translation>Die MP3-Serverliste ist wegen eines Fehlers leer!</translation>
    </message>
    <message>
        <source>All servers are full!</source>
        <translation>Alle Server sind voll!</translation>
    </message>
    <message>
        <source>[ERR] NETWORK: Reconnecting...</source>
        <translation>[ERR] NETZWERK: Verbinde neu...</translation>
    </message>
    <message>
        <source>[ERR] TLS: %1</source>
        <translation>[ERR] TLS: %1</translation>
    </message>
    <message>
        <source>The computer could not connect to the stream!</source>
        <translation>Der Computer konnte keine Verbindung zum Stream herstellen!</translation>
    </message>
    <message>
        <source>%1 -- NETWORK: Server error, resource not found... trying server %2</source>
        <translation>%1 -- NETZWERK: Serverfehler, Ressource nicht gefunden... versuche Server %2</translation>
    </message>
    <message>
        <source>[ERR]: Resource not found, trying server %1...</source>
        <translation>[ERR]: Ressource nicht gefunden, versuche Server %1...</translation>
    </message>
    <message>
        <source>%1 -- Server Full... trying server %2</source>
        <translation>%1 -- Server voll... versuche Server %2</translation>
    </message>
    <message>
        <source>[ERR]: Server full, trying server %1...</source>
        <translation>[ERR]: Server voll, versuche Server %1...</translation>
    </message>
    <message>
        <source>%1 -- NETWORK: Server error, forbidden... trying server %2</source>
        <translation>%1 -- NETZWERK: Serverfehler, Zugriff verweigert... versuche Server %2</translation>
    </message>
    <message>
        <source>[ERR]: Resource forbidden, trying server %1...</source>
        <translation>[ERR]: Zugriff auf Ressource verweigert, versuche Server %1...</translation>
    </message>
    <message>
        <source>%1 --  General ICY error -- trying server %2</source>
        <translation>%1 --  Allgemeiner ICY-Fehler -- versuche Server %2</translation>
    </message>
    <message>
        <source>[ERR]: General ICY error -- trying server %1...</source>
        <translation>[ERR]: Allgemeiner ICY-Fehler -- versuche Server %1...</translation>
    </message>
    <message>
        <source>The shoutcast stream you are trying to record is experiencing network problems, or is full. Please try again later!</source>
        <translation>Der Shoutcast-Stream, den Sie aufnehmen möchten, hat Netzwerkprobleme oder ist voll. Bitte versuchen Sie es später noch einmal!</translation>
    </message>
    <message>
        <source>[ERR]: Found new location, reconnecting...</source>
        <translation>[ERR]: Neuer Ort gefunden, verbinde neu...</translation>
    </message>
    <message>
        <source>[ERR]: Found new location... reconnecting...</source>
        <translation>[ERR]: Neuer Ort gefunden... verbinde neu...</translation>
    </message>
    <message>
        <source>[ERR] DISK: Cannot write the recording (%1)</source>
        <translation>[ERR] DATENTRÄGER: Die Aufnahme kann nicht geschrieben werden (%1)</translation>
    </message>
    <message>
        <source>Reconnected: joined where the recording left off (%1 s already recorded left out)</source>
        <translation>Neu verbunden: dort angeschlossen, wo die Aufnahme aufhörte (%1 s bereits Aufgenommenes ausgelassen)</translation>
    </message>
    <message>
        <source>joined on a frame boundary (%1 bytes dropped); </source>
        <translation>an einer Framegrenze angeschlossen (%1 Bytes verworfen); </translation>
    </message>
    <message>
        <source>about %1 s of the broadcast were missed</source>
        <translation>etwa %1 s der Sendung fehlen</translation>
    </message>
    <message>
        <source>less than a second of the broadcast was missed</source>
        <translation>weniger als eine Sekunde der Sendung fehlt</translation>
    </message>
    <message>
        <source>Reconnected: %1%2</source>
        <translation>Neu verbunden: %1%2</translation>
    </message>
    <message>
        <source>Deleted %1: shorter than %2 seconds</source>
        <translation>%1 gelöscht: kürzer als %2 Sekunden</translation>
    </message>
    <message>
        <source>This station does not support faking Internet Explorer as the agent. Please turn this option off to listen to this station.</source>
        <translation>Dieser Sender unterstützt es nicht, sich als Internet Explorer auszugeben. Bitte schalten Sie diese Option aus, um diesen Sender zu hören.</translation>
    </message>
    <message>
        <source>[ERR]: Server full, trying next server...</source>
        <translation>[ERR]: Server voll, versuche nächsten Server...</translation>
    </message>
    <message>
        <source>[ERR] DISK: Cannot write the recording (no recording file is open)</source>
        <translation>[ERR] DATENTRÄGER: Die Aufnahme kann nicht geschrieben werden (keine Aufnahmedatei ist geöffnet)</translation>
    </message>
    <message>
        <source>[ERR] DISK: No free name beside %1; the later play stays as %2</source>
        <translation>[ERR] DATENTRÄGER: Kein freier Name neben %1; die spätere Aufnahme bleibt %2</translation>
    </message>
    <message>
        <source>Kept %1 as another recording</source>
        <translation>%1 als weitere Aufnahme behalten</translation>
    </message>
    <message>
        <source>Replaced %1 with a later complete play</source>
        <translation>%1 durch eine spätere vollständige Aufnahme ersetzt</translation>
    </message>
    <message>
        <source>[ERR] DISK: Cannot tag the recording %1</source>
        <translation>[ERR] DATENTRÄGER: Die Aufnahme %1 kann nicht getaggt werden</translation>
    </message>
    <message>
        <source>[ERR] DISK: The recording folder was gone; creating it again: %1</source>
        <translation>[ERR] DATENTRÄGER: Der Aufnahmeordner fehlte; er wird neu angelegt: %1</translation>
    </message>
    <message>
        <source>Not recording %1: it is saved already</source>
        <translation>%1 wird nicht aufgenommen: schon gespeichert</translation>
    </message>
    <message>
        <source>Another recorder is writing %1; recording to %2</source>
        <translation>Ein anderer Rekorder schreibt %1; Aufnahme nach %2</translation>
    </message>
    <message>
        <source>[ERR] DISK: Cannot create a recording file in %1</source>
        <translation>[ERR] DATENTRÄGER: In %1 kann keine Aufnahmedatei angelegt werden</translation>
    </message>
    <message>
        <source>Now Recording: %1</source>
        <translation>Aufnahme läuft: %1</translation>
    </message>
    <message>
        <source>Reconnected: the song goes on; %1 page(s) of it were missed</source>
        <translation>Neu verbunden: der Titel geht weiter; %1 Seite(n) davon fehlen</translation>
    </message>
    <message>
        <source>Reconnected: joined where the recording left off (%1 page(s) already recorded left out)</source>
        <translation>Neu verbunden: dort angeschlossen, wo die Aufnahme abbrach (%1 bereits aufgenommene Seite(n) ausgelassen)</translation>
    </message>
    <message>
        <source>%1 -- NETWORK: Reconnecting...</source>
        <translation>%1 -- NETZWERK: Verbinde neu...</translation>
    </message>
    <message>
        <source>Network errors have interrupted successful recording of %1!</source>
        <translation>Netzwerkfehler haben die Aufnahme von %1 unterbrochen!</translation>
    </message>
    <message>
        <source>PAUSED...%1</source>
        <translation>PAUSE...%1</translation>
    </message>
    <message>
        <source>Tonquill -- PAUSED</source>
        <translation>Tonquill -- PAUSE</translation>
    </message>
    <message>
        <source>[ERR] NETWORK: Awaiting data...</source>
        <translation>[ERR] NETZWERK: Warte auf Daten...</translation>
    </message>
    <message>
        <source>%1 -- NETWORK: Awaiting data...</source>
        <translation>%1 -- NETZWERK: Warte auf Daten...</translation>
    </message>
    <message>
        <source>%1 -- TIMEOUT! Reconnecting...</source>
        <translation>%1 -- ZEITÜBERSCHREITUNG! Verbinde neu...</translation>
    </message>
    <message>
        <source>[ERR] TIMEOUT! Reconnecting...</source>
        <translation>[ERR] ZEITÜBERSCHREITUNG! Verbinde neu...</translation>
    </message>
    <message>
        <source>RECORDING %1... (%2) (-%3 left)</source>
        <translation>AUFNAHME %1... (%2) (-%3 übrig)</translation>
    </message>
    <message>
        <source>RECORDING %1... (%2)</source>
        <translation>AUFNAHME %1... (%2)</translation>
    </message>
    <message>
        <source>[ERR] Song rules: not read yet; the songs so far are recorded without them</source>
        <translation>[ERR] Titelregeln: noch nicht gelesen; die bisherigen Titel werden ohne sie aufgenommen</translation>
    </message>
    <message>
        <source>This station sends a stream Tonquill cannot record.</source>
        <translation>Dieser Sender sendet einen Strom, den Tonquill nicht aufnehmen kann.</translation>
    </message>
</context>
<context>
    <name>frmRecord</name>
    <message>
        <source>Main Control Panel</source>
        <translation>Hauptbedienfeld</translation>
    </message>
    <message>
        <source>Advanced Options</source>
        <translation>Erweiterte Optionen</translation>
    </message>
    <message>
        <source>Other Options</source>
        <translation>Weitere Optionen</translation>
    </message>
    <message>
        <source>About Tonquill</source>
        <translation>Über Tonquill</translation>
    </message>
    <message>
        <source>Tools</source>
        <translation>Werkzeuge</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Suche</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Station URL</source>
        <translation>Senderadresse</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Edit Station</source>
        <translation>Sender bearbeiten</translation>
    </message>
    <message>
        <source>Add Station</source>
        <translation>Sender hinzufügen</translation>
    </message>
    <message>
        <source>Save Preset File</source>
        <translation>Vorlagendatei speichern</translation>
    </message>
    <message>
        <source>Open Preset File</source>
        <translation>Vorlagendatei öffnen</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Aufnehmen</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>&amp;Operation</source>
        <translation>&amp;Bedienung</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Bearbeiten</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Remove All</source>
        <translation>Alle entfernen</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>&amp;Werkzeuge</translation>
    </message>
    <message>
        <source>Media Converter</source>
        <translation>Medienkonverter</translation>
    </message>
    <message>
        <source>Audio CD Creator</source>
        <translation>Audio-CD erstellen</translation>
    </message>
    <message>
        <source>CD/DVD Burner</source>
        <translation>CD/DVD-Brenner</translation>
    </message>
    <message>
        <source>Scheduler</source>
        <translation>Planer</translation>
    </message>
    <message>
        <source>&amp;Search</source>
        <translation>&amp;Suche</translation>
    </message>
    <message>
        <source>Shoutcast Search</source>
        <translation>Shoutcast-Suche</translation>
    </message>
    <message>
        <source>Search Presets</source>
        <translation>Vorlagen durchsuchen</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Tonquill on the Web</source>
        <translation>Tonquill im Web</translation>
    </message>
    <message>
        <source>Schedule...</source>
        <translation>Planen ...</translation>
    </message>
    <message>
        <source>ShoutCast</source>
        <translation>ShoutCast</translation>
    </message>
    <message>
        <source>Presets</source>
        <translation>Vorlagen</translation>
    </message>
    <message>
        <source>MP3 file:</source>
        <translation>MP3-Datei:</translation>
    </message>
    <message>
        <source>The path is invalid!</source>
        <translation>Der Pfad ist ungültig!</translation>
    </message>
    <message>
        <source>Invalid MP3 file name!</source>
        <translation>Ungültiger MP3-Dateiname!</translation>
    </message>
    <message>
        <source>Select a Path To Save To</source>
        <translation>Speicherort wählen</translation>
    </message>
    <message>
        <source>Save MP3s to</source>
        <translation>MP3-Dateien speichern in</translation>
    </message>
    <message>
        <source>MP3 music file (*.MP3 *.mp3)</source>
        <translation>MP3-Musikdatei (*.MP3 *.mp3)</translation>
    </message>
    <message>
        <source>Path to save MP3s to:</source>
        <translation>Pfad für die MP3-Dateien:</translation>
    </message>
    <message>
        <source>External Player</source>
        <translation>Externer Player</translation>
    </message>
    <message>
        <source>Error on starting this recording!</source>
        <translation>Fehler beim Starten dieser Aufnahme!</translation>
    </message>
    <message>
        <source>Preset File (*.tvp)</source>
        <translation>Vorlagendatei (*.tvp)</translation>
    </message>
    <message>
        <source>the file could not be written</source>
        <translation>die Datei konnte nicht geschrieben werden</translation>
    </message>
    <message>
        <source>Error saving file! </source>
        <translation>Fehler beim Speichern der Datei! </translation>
    </message>
    <message>
        <source>%1 is not installed: &quot;%2&quot; is neither beside Tonquill nor on the PATH.</source>
        <translation>%1 ist nicht installiert: „%2“ liegt weder neben Tonquill noch im PATH.</translation>
    </message>
    <message>
        <source> Error : </source>
        <translation> Fehler: </translation>
    </message>
    <message>
        <source> not found !</source>
        <translation> nicht gefunden!</translation>
    </message>
    <message>
        <source>Error : index.htm not found !</source>
        <translation>Fehler: index.htm nicht gefunden!</translation>
    </message>
    <message>
        <source>No program could open the web address. Copy it into a web browser:

</source>
        <translation>Kein Programm konnte die Webadresse öffnen. Kopieren Sie sie in einen Webbrowser:

</translation>
    </message>
    <message>
        <source>The task already exists. Please enter a new name</source>
        <translation>Die Aufgabe gibt es schon. Bitte geben Sie einen neuen Namen ein</translation>
    </message>
    <message>
        <source>A task name cannot be empty or hold &quot;/&quot;, &quot;\&quot; or control characters. Please enter a new name</source>
        <translation>Ein Aufgabenname darf nicht leer sein und weder „/“, „\“ noch Steuerzeichen enthalten. Bitte geben Sie einen neuen Namen ein</translation>
    </message>
    <message>
        <source>The start date and time have already passed. Cancel, enter a later date or time in the Scheduler group, then add the task again.</source>
        <translation>Datum und Uhrzeit des Beginns sind schon vorbei. Brechen Sie ab, geben Sie in der Gruppe Planer ein späteres Datum oder eine spätere Uhrzeit ein und fügen Sie die Aufgabe erneut hinzu.</translation>
    </message>
    <message>
        <source>The task scheduler &quot;at&quot; is not installed, so no task can be added. Install it (for example with &quot;sudo apt install at&quot;), then add the task again.</source>
        <translation>Der Aufgabenplaner „at“ ist nicht installiert, daher kann keine Aufgabe hinzugefügt werden. Installieren Sie ihn (zum Beispiel mit „sudo apt install at“) und fügen Sie die Aufgabe erneut hinzu.</translation>
    </message>
    <message>
        <source>The task scheduler atd is not running, so the task would never start. Start it with &quot;sudo systemctl enable --now atd&quot;, then add the task again.</source>
        <translation>Der Aufgabenplaner atd läuft nicht, die Aufgabe würde also nie starten. Starten Sie ihn mit „sudo systemctl enable --now atd“ und fügen Sie die Aufgabe erneut hinzu.</translation>
    </message>
    <message>
        <source>The task scheduler refused the task: %1</source>
        <translation>Der Aufgabenplaner hat die Aufgabe abgelehnt: %1</translation>
    </message>
    <message>
        <source>The %1 &quot;%2&quot; cannot be read. Cancel, enter the %1 in the Scheduler group as in &quot;%3&quot;, then add the task again.</source>
        <translation>%1 „%2“ ist nicht lesbar. Brechen Sie ab, geben Sie in der Gruppe Planer %1 wie in „%3“ ein und fügen Sie die Aufgabe erneut hinzu.</translation>
    </message>
    <message>
        <source>Add Task</source>
        <translation>Aufgabe hinzufügen</translation>
    </message>
    <message>
        <source>Task 1</source>
        <translation>Aufgabe 1</translation>
    </message>
    <message>
        <source>Enter TaskName :</source>
        <translation>Aufgabenname eingeben:</translation>
    </message>
    <message>
        <source>Added Scheduled Task</source>
        <translation>Geplante Aufgabe hinzugefügt</translation>
    </message>
    <message>
        <source>No task scheduler is available, so no task can be added.</source>
        <translation>Es ist kein Aufgabenplaner verfügbar, daher kann keine Aufgabe hinzugefügt werden.</translation>
    </message>
    <message>
        <source>date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>time</source>
        <translation>Uhrzeit</translation>
    </message>
    <message>
        <source>The station list %1 has %2 longer than %3 bytes; %4 shortened to that length.</source>
        <translation>Die Senderliste %1 hat %2 länger als %3 Bytes; %4 auf diese Länge gekürzt.</translation>
    </message>
    <message>
        <source>a line</source>
        <translation>eine Zeile</translation>
    </message>
    <message>
        <source>%1 lines</source>
        <translation>%1 Zeilen</translation>
    </message>
    <message>
        <source>it was</source>
        <translation>sie wurde</translation>
    </message>
    <message>
        <source>they were</source>
        <translation>sie wurden</translation>
    </message>
    <message>
        <source>The station list %1 %2. It is left as it is: the stations shown now are not saved to it.</source>
        <translation>Die Senderliste %1: %2. Sie bleibt, wie sie ist: Die jetzt gezeigten Sender werden nicht in ihr gespeichert.</translation>
    </message>
    <message>
        <source>Station Name</source>
        <translation>Sendername</translation>
    </message>
    <message>
        <source>This is not a valid Shoutcast streaming playlist, configuration file, or accepted URL file!</source>
        <translation>Dies ist weder eine gültige Shoutcast-Wiedergabeliste noch eine Konfigurationsdatei oder eine akzeptierte Adressdatei!</translation>
    </message>
    <message>
        <source>Choose the MP3 file to record into.</source>
        <translation>Wählen Sie die MP3-Datei, in die aufgenommen wird.</translation>
    </message>
    <message>
        <source>The folder %1 is missing. Create it again, or choose another folder to save the recordings to.</source>
        <translation>Der Ordner %1 fehlt. Legen Sie ihn wieder an oder wählen Sie einen anderen Ordner für die Aufnahmen.</translation>
    </message>
    <message>
        <source>Choose a folder to save the recordings to.</source>
        <translation>Wählen Sie einen Ordner für die Aufnahmen.</translation>
    </message>
    <message>
        <source>The folder %1 could not be created. Choose a folder to save the recordings to.</source>
        <translation>Der Ordner %1 konnte nicht angelegt werden. Wählen Sie einen Ordner für die Aufnahmen.</translation>
    </message>
    <message>
        <source>Radio Browser Search</source>
        <translation>Radio-Browser-Suche</translation>
    </message>
    <message>
        <source>Radio Browser</source>
        <translation>Radio Browser</translation>
    </message>
    <message>
        <source>Record Alongside</source>
        <translation>Daneben aufnehmen</translation>
    </message>
    <message>
        <source>Recordings</source>
        <translation>Aufnahmen</translation>
    </message>
    <message>
        <source>Resume recordings at start</source>
        <translation>Aufnahmen beim Start fortsetzen</translation>
    </message>
    <message>
        <source>%1 is being recorded already.</source>
        <translation>%1 wird bereits aufgenommen.</translation>
    </message>
    <message>
        <source>Recording %1 alongside the others.</source>
        <translation>%1 wird neben den anderen aufgenommen.</translation>
    </message>
    <message>
        <source>Set Picture…</source>
        <translation>Bild festlegen…</translation>
    </message>
    <message>
        <source>Station Picture</source>
        <translation>Bild des Senders</translation>
    </message>
    <message>
        <source>Pictures (*.jpg *.jpeg *.png *.webp)</source>
        <translation>Bilder (*.jpg *.jpeg *.png *.webp)</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>What Plays Where</source>
        <translation>Was läuft wo</translation>
    </message>
    <message>
        <source>Watch</source>
        <translation>Beobachten</translation>
    </message>
    <message>
        <source>The last minutes could not be saved: %1</source>
        <translation>Die letzten Minuten konnten nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <source>Saved the last minutes: %1</source>
        <translation>Die letzten Minuten wurden gespeichert: %1</translation>
    </message>
    <message>
        <source>This song could not be saved: %1</source>
        <translation>Dieser Titel konnte nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <source>Saving this song: %1</source>
        <translation>Dieser Titel wird gespeichert: %1</translation>
    </message>
    <message>
        <source>Watching %1 for the songs of the wish list.</source>
        <translation>%1 wird auf die Titel der Wunschliste hin beobachtet.</translation>
    </message>
    <message>
        <source>This picture cannot be the station&apos;s picture: %1</source>
        <translation>Dieses Bild kann nicht das Bild des Senders sein: %1</translation>
    </message>
    <message>
        <source>only a JPEG, PNG or WebP picture of at most 8 MB that can be read can be one.</source>
        <translation>Nur ein lesbares JPEG-, PNG- oder WebP-Bild von höchstens 8 MB kann es sein.</translation>
    </message>
</context>
<context>
    <name>frmRecordingDisplay</name>
    <message>
        <source>Hide Recording Display</source>
        <translation>Aufnahmeanzeige ausblenden</translation>
    </message>
    <message>
        <source>Show Recording Display</source>
        <translation>Aufnahmeanzeige einblenden</translation>
    </message>
    <message>
        <source>Now Recording: </source>
        <translation>Aufnahme läuft: </translation>
    </message>
    <message>
        <source>Recording lamp</source>
        <translation>Aufnahmelampe</translation>
    </message>
    <message>
        <source>Recording</source>
        <translation>Aufnahme</translation>
    </message>
    <message>
        <source>Listening lamp</source>
        <translation>Wiedergabelampe</translation>
    </message>
    <message>
        <source>Listening</source>
        <translation>Wiedergabe</translation>
    </message>
    <message>
        <source>Error lamp</source>
        <translation>Fehlerlampe</translation>
    </message>
    <message>
        <source>Err</source>
        <translation>Fehl</translation>
    </message>
    <message>
        <source>B: 0</source>
        <translation>B: 0</translation>
    </message>
    <message>
        <source>Rec Time</source>
        <translation>Aufn.-Zeit</translation>
    </message>
    <message>
        <source>Start Record</source>
        <translation>Aufnahme starten</translation>
    </message>
    <message>
        <source>Listen</source>
        <translation>Anhören</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Timer Mode</source>
        <translation>Zeitmodus</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Lautstärke</translation>
    </message>
    <message>
        <source>B: %1</source>
        <translation>B: %1</translation>
    </message>
    <message>
        <source>STOPPED</source>
        <translation>GESTOPPT</translation>
    </message>
    <message>
        <source>REC TIME</source>
        <translation>AUFN.-ZEIT</translation>
    </message>
    <message>
        <source>TIME LEFT</source>
        <translation>RESTZEIT</translation>
    </message>
</context>
<context>
    <name>frmTaskProperties</name>
    <message>
        <source>Task:</source>
        <translation>Aufgabe:</translation>
    </message>
    <message>
        <source>Starts:</source>
        <translation>Beginnt:</translation>
    </message>
    <message>
        <source>Program:</source>
        <translation>Programm:</translation>
    </message>
    <message>
        <source>Argument:</source>
        <translation>Argument:</translation>
    </message>
    <message>
        <source>Delete Task</source>
        <translation>Aufgabe löschen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>The task was deleted.</source>
        <translation>Die Aufgabe wurde gelöscht.</translation>
    </message>
    <message>
        <source>The task could not be deleted: %1</source>
        <translation>Die Aufgabe konnte nicht gelöscht werden: %1</translation>
    </message>
</context>
<context>
    <name>frmWhatPlays</name>
    <message>
        <source>What Plays Where</source>
        <translation>Was läuft wo</translation>
    </message>
    <message>
        <source>Period</source>
        <translation>Zeitraum</translation>
    </message>
    <message>
        <source>Today</source>
        <translation>Heute</translation>
    </message>
    <message>
        <source>This Week</source>
        <translation>Diese Woche</translation>
    </message>
    <message>
        <source>This Month</source>
        <translation>Dieser Monat</translation>
    </message>
    <message>
        <source>All</source>
        <translation>Alle</translation>
    </message>
    <message>
        <source>Station</source>
        <translation>Sender</translation>
    </message>
    <message>
        <source>All Stations</source>
        <translation>Alle Sender</translation>
    </message>
    <message>
        <source>Search titles</source>
        <translation>Titel suchen</translation>
    </message>
    <message>
        <source>&amp;Period:</source>
        <translation>&amp;Zeitraum:</translation>
    </message>
    <message>
        <source>S&amp;tation:</source>
        <translation>S&amp;ender:</translation>
    </message>
    <message>
        <source>Most played titles</source>
        <translation>Meistgespielte Titel</translation>
    </message>
    <message>
        <source>Where and when the title was heard</source>
        <translation>Wo und wann der Titel lief</translation>
    </message>
    <message>
        <source>Add to Wish List</source>
        <translation>Zur Wunschliste hinzufügen</translation>
    </message>
    <message>
        <source>Add to Ignore List</source>
        <translation>Zur Ausschlussliste hinzufügen</translation>
    </message>
    <message>
        <source>Open File</source>
        <translation>Datei öffnen</translation>
    </message>
    <message>
        <source>Reading the title history...</source>
        <translation>Der Titelverlauf wird gelesen ...</translation>
    </message>
    <message>
        <source>No title heard in this period holds &quot;%1&quot;.</source>
        <translation>Kein in diesem Zeitraum gehörter Titel enthält „%1“.</translation>
    </message>
    <message>
        <source>No title was heard in this period.</source>
        <translation>In diesem Zeitraum wurde kein Titel gehört.</translation>
    </message>
    <message>
        <source>The %1 most played titles (scroll for more)</source>
        <translation>Die %1 meistgespielten Titel (für weitere blättern)</translation>
    </message>
    <message>
        <source>%1 titles</source>
        <translation>%1 Titel</translation>
    </message>
    <message>
        <source>No file was saved of &quot;%1&quot;.</source>
        <translation>Von „%1“ wurde keine Datei gespeichert.</translation>
    </message>
    <message>
        <source>The file %1 is no longer there.</source>
        <translation>Die Datei %1 ist nicht mehr vorhanden.</translation>
    </message>
    <message>
        <source>No program could open %1.</source>
        <translation>Kein Programm konnte %1 öffnen.</translation>
    </message>
    <message>
        <source>Opening %1</source>
        <translation>%1 wird geöffnet</translation>
    </message>
</context>
</TS>
