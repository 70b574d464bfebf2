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
</TS>
