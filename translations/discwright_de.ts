<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>AudioDecoder</name>
    <message>
        <source>no audio stream</source>
        <translation>kein Audiostrom</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>kein Speicher mehr</translation>
    </message>
    <message>
        <source>unknown sample rate</source>
        <translation>unbekannte Abtastrate</translation>
    </message>
    <message>
        <source>no audio could be decoded</source>
        <translation>kein Audio konnte dekodiert werden</translation>
    </message>
    <message>
        <source>is a folder</source>
        <translation>ist ein Ordner</translation>
    </message>
    <message>
        <source>is not a regular file</source>
        <translation>ist keine gewöhnliche Datei</translation>
    </message>
</context>
<context>
    <name>DiscRecordObj</name>
    <message>
        <source>CD writers are not available: %1</source>
        <translation>CD-Brenner sind nicht verfügbar: %1</translation>
    </message>
    <message>
        <source>Cannot use %1: %2</source>
        <translation>%1 kann nicht verwendet werden: %2</translation>
    </message>
    <message>
        <source>Cannot add %1: an audio CD holds at most %2 tracks</source>
        <translation>%1 kann nicht hinzugefügt werden: Eine Audio-CD fasst höchstens %2 Titel</translation>
    </message>
    <message>
        <source>it cannot be read</source>
        <translation>sie kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>Cannot add %1: %2</source>
        <translation>%1 kann nicht hinzugefügt werden: %2</translation>
    </message>
    <message>
        <source>Cannot create the image folder %1</source>
        <translation>Der Abbildordner %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>A write is already running</source>
        <translation>Es läuft bereits ein Schreibvorgang</translation>
    </message>
    <message>
        <source>%1 added file(s) are still being read; start again when they are listed</source>
        <translation>%1 hinzugefügte Datei(en) werden noch gelesen; starten Sie erneut, wenn sie aufgelistet sind</translation>
    </message>
    <message>
        <source>There are no tracks in the queue</source>
        <translation>Die Warteschlange enthält keine Titel</translation>
    </message>
    <message>
        <source>There is no writable disc in the drive</source>
        <translation>Im Laufwerk liegt keine beschreibbare CD</translation>
    </message>
    <message>
        <source>The queue (%1) does not fit on the disc (%2 left)</source>
        <translation>Die Warteschlange (%1) passt nicht auf die CD (%2 frei)</translation>
    </message>
    <message>
        <source>The drive cannot write</source>
        <translation>Das Laufwerk kann nicht schreiben</translation>
    </message>
    <message>
        <source>Writing image to %1</source>
        <translation>Schreibe Abbild nach %1</translation>
    </message>
    <message>
        <source>Test write at %1x</source>
        <translation>Testschreiben mit %1x</translation>
    </message>
    <message>
        <source>Writing the disc at %1x</source>
        <translation>Schreibe die CD mit %1x</translation>
    </message>
    <message>
        <source>Track %1 (%2) cannot be read: %3</source>
        <translation>Titel %1 (%2) kann nicht gelesen werden: %3</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>Zugriff verweigert</translation>
    </message>
    <message>
        <source>the file is gone</source>
        <translation>die Datei ist verschwunden</translation>
    </message>
    <message>
        <source>Write aborted</source>
        <translation>Schreiben abgebrochen</translation>
    </message>
</context>
<context>
    <name>ImageWriteJob</name>
    <message>
        <source>Cannot create the image %1: %2</source>
        <translation>Das Abbild %1 kann nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>Cannot write the image %1: %2</source>
        <translation>Das Abbild %1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Test write finished</source>
        <translation>Testschreiben beendet</translation>
    </message>
    <message>
        <source>Cannot write the cue sheet %1: %2</source>
        <translation>Das Cue-Sheet %1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Image written: %1 and %2</source>
        <translation>Abbild geschrieben: %1 und %2</translation>
    </message>
</context>
<context>
    <name>LibburnDrives</name>
    <message>
        <source>libburn could not be started</source>
        <translation>libburn konnte nicht gestartet werden</translation>
    </message>
    <message>
        <source>no drive</source>
        <translation>kein Laufwerk</translation>
    </message>
    <message>
        <source>the drive is busy or cannot be opened</source>
        <translation>das Laufwerk ist belegt oder lässt sich nicht öffnen</translation>
    </message>
    <message>
        <source>the text does not match the tracks</source>
        <translation>der Text passt nicht zu den Titeln</translation>
    </message>
    <message>
        <source>the text block cannot be set up</source>
        <translation>der Textblock lässt sich nicht einrichten</translation>
    </message>
    <message>
        <source>libburn refused the disc&apos;s %1</source>
        <translation>libburn lehnte %1 der CD ab</translation>
    </message>
    <message>
        <source>libburn refused the %1 of track %2</source>
        <translation>libburn lehnte %1 von Titel %2 ab</translation>
    </message>
    <message>
        <source>the titles do not fit the disc&apos;s text area</source>
        <translation>die Titel passen nicht in den Textbereich der CD</translation>
    </message>
    <message>
        <source>Cannot make a temporary folder for the decoded audio</source>
        <translation>Für das dekodierte Audio kann kein temporärer Ordner angelegt werden</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Test write finished</source>
        <translation>Testschreiben beendet</translation>
    </message>
    <message>
        <source>The disc was written</source>
        <translation>Die CD wurde geschrieben</translation>
    </message>
    <message>
        <source>The drive cannot write disc at once; writing track at once, without CD-TEXT and with the drive&apos;s own pauses</source>
        <translation>Das Laufwerk kann nicht Disc-at-once schreiben; es wird Track-at-once geschrieben, ohne CD-TEXT und mit den Pausen des Laufwerks</translation>
    </message>
    <message>
        <source>The drive cannot write this disc: %1</source>
        <translation>Das Laufwerk kann diese CD nicht schreiben: %1</translation>
    </message>
    <message>
        <source>The disc is written without CD-TEXT: %1</source>
        <translation>Die CD wird ohne CD-TEXT geschrieben: %1</translation>
    </message>
    <message>
        <source>Writing the disc failed</source>
        <translation>Das Schreiben der CD ist fehlgeschlagen</translation>
    </message>
</context>
<context>
    <name>TimeText</name>
    <message>
        <source> hr </source>
        <translation> Std. </translation>
    </message>
    <message>
        <source> h </source>
        <translation> h </translation>
    </message>
    <message>
        <source> min </source>
        <translation> Min. </translation>
    </message>
    <message>
        <source> m </source>
        <translation> m </translation>
    </message>
    <message>
        <source> sec</source>
        <translation> Sek.</translation>
    </message>
    <message>
        <source> s</source>
        <translation> s</translation>
    </message>
    <message>
        <source> hour</source>
        <translation> Stunde</translation>
    </message>
    <message>
        <source> hours</source>
        <translation> Stunden</translation>
    </message>
    <message>
        <source> minute</source>
        <translation> Minute</translation>
    </message>
    <message>
        <source> minutes</source>
        <translation> Minuten</translation>
    </message>
    <message>
        <source> second</source>
        <translation> Sekunde</translation>
    </message>
    <message>
        <source> seconds</source>
        <translation> Sekunden</translation>
    </message>
    <message>
        <source>0 seconds</source>
        <translation>0 Sekunden</translation>
    </message>
    <message>
        <source>0 Bytes</source>
        <translation>0 Bytes</translation>
    </message>
    <message>
        <source>Audio Track </source>
        <translation>Audiotitel </translation>
    </message>
</context>
<context>
    <name>WriteJob</name>
    <message>
        <source>Track %1 (%2) cannot be read: %3</source>
        <translation>Titel %1 (%2) kann nicht gelesen werden: %3</translation>
    </message>
</context>
<context>
    <name>frmDiscwrightBurn</name>
    <message>
        <source>Test</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Brennen</translation>
    </message>
    <message>
        <source>Devices</source>
        <translation>Geräte</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>Geschwindigkeit</translation>
    </message>
    <message>
        <source>Mode</source>
        <translation>Modus</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Sec</source>
        <translation>Sek.</translation>
    </message>
    <message>
        <source>Drag And Drop Audio Audio Files Below</source>
        <translation>Audiodateien hierunter ziehen und ablegen</translation>
    </message>
    <message>
        <source>Tracks</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Total Tracks:</source>
        <translation>Titel insgesamt:</translation>
    </message>
    <message>
        <source>Writing Current Track:</source>
        <translation>Schreibe Titel:</translation>
    </message>
    <message>
        <source>Bytes Written:</source>
        <translation>Geschriebene Bytes:</translation>
    </message>
    <message>
        <source>Time:</source>
        <translation>Zeit:</translation>
    </message>
    <message>
        <source>Elapsed:</source>
        <translation>Vergangen:</translation>
    </message>
    <message>
        <source>Status:</source>
        <translation>Status:</translation>
    </message>
    <message>
        <source>Disc Status:</source>
        <translation>Status der CD:</translation>
    </message>
    <message>
        <source>Image Virtual Device</source>
        <translation>Virtuelles Abbildgerät</translation>
    </message>
    <message>
        <source>Abort</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Durchsuchen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>BurnProof</source>
        <translation>BurnProof</translation>
    </message>
    <message>
        <source>No Disc In Drive</source>
        <translation>Keine CD im Laufwerk</translation>
    </message>
    <message>
        <source>Empty CD   [ </source>
        <translation>Leere CD   [ </translation>
    </message>
    <message>
        <source> Time Left , </source>
        <translation> Restzeit, </translation>
    </message>
    <message>
        <source> Left ]</source>
        <translation> frei ]</translation>
    </message>
    <message>
        <source>  The queue is %1 too long</source>
        <translation>  Die Warteschlange ist %1 zu lang</translation>
    </message>
    <message>
        <source>Open CD (Capacity=</source>
        <translation>Offene CD (Kapazität=</translation>
    </message>
    <message>
        <source>, used=</source>
        <translation>, belegt=</translation>
    </message>
    <message>
        <source>Non Writeable CD [ </source>
        <translation>Nicht beschreibbare CD [ </translation>
    </message>
    <message>
        <source> Used ]</source>
        <translation> belegt ]</translation>
    </message>
    <message>
        <source>Please choose a write speed (a whole number)</source>
        <translation>Bitte wählen Sie eine Schreibgeschwindigkeit (eine ganze Zahl)</translation>
    </message>
    <message>
        <source>Please enter the pause between tracks as a number of seconds</source>
        <translation>Bitte geben Sie die Pause zwischen den Titeln in Sekunden ein</translation>
    </message>
    <message>
        <source> of </source>
        <translation> von </translation>
    </message>
    <message>
        <source>ASPI is not installed. Please install it or switch to SPTI mode</source>
        <translation>ASPI ist nicht installiert. Bitte installieren Sie es oder wechseln Sie in den SPTI-Modus</translation>
    </message>
    <message>
        <source>Please Click A File You Wish To Delete From Queue</source>
        <translation>Bitte klicken Sie die Datei an, die aus der Warteschlange gelöscht werden soll</translation>
    </message>
    <message>
        <source>Time In Queue: </source>
        <translation>Zeit in der Warteschlange: </translation>
    </message>
</context>
</TS>
