<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>COXScreenGrabber</name>
    <message>
        <source>Wayland does not let programs capture other windows.</source>
        <translation>Wayland erlaubt Programmen nicht, andere Fenster aufzunehmen.</translation>
    </message>
    <message>
        <source>There is no screen to capture.</source>
        <translation>Es gibt keinen Bildschirm zum Aufnehmen.</translation>
    </message>
</context>
<context>
    <name>CategoryDialog</name>
    <message>
        <source>Enter Category</source>
        <translation>Kategorie eingeben</translation>
    </message>
</context>
<context>
    <name>DataDirectory</name>
    <message>
        <source>No preview image</source>
        <translation>Kein Vorschaubild</translation>
    </message>
    <message>
        <source>Select a plug-in</source>
        <translation>Ein Plugin auswählen</translation>
    </message>
</context>
<context>
    <name>DirectoryDialog</name>
    <message>
        <source>Plugin Directory</source>
        <translation>Plugin-Verzeichnis</translation>
    </message>
    <message>
        <source>Label:</source>
        <translation>Bezeichnung:</translation>
    </message>
    <message>
        <source>The name of the directory in the Directory menu</source>
        <translation>Der Name des Verzeichnisses im Verzeichnis-Menü</translation>
    </message>
    <message>
        <source>Directory:</source>
        <translation>Verzeichnis:</translation>
    </message>
    <message>
        <source>The directory that is scanned for plug-ins</source>
        <translation>Das Verzeichnis, das nach Plugins durchsucht wird</translation>
    </message>
    <message>
        <source>Choose the directory</source>
        <translation>Verzeichnis wählen</translation>
    </message>
    <message>
        <source>&amp;?</source>
        <translation>&amp;?</translation>
    </message>
    <message>
        <source>Scan the subdirectories of the directory too</source>
        <translation>Auch die Unterverzeichnisse durchsuchen</translation>
    </message>
    <message>
        <source>&amp;Include Subdirectories</source>
        <translation>&amp;Unterverzeichnisse einschließen</translation>
    </message>
    <message>
        <source>Make this entry a separator line of the Directory menu</source>
        <translation>Diesen Eintrag zur Trennlinie des Verzeichnis-Menüs machen</translation>
    </message>
    <message>
        <source>&amp;Separator</source>
        <translation>&amp;Trennlinie</translation>
    </message>
    <message>
        <source>&amp;Enabled</source>
        <translation>&amp;Aktiv</translation>
    </message>
</context>
<context>
    <name>LaunchBarEntryDialog</name>
    <message>
        <source>Add Application to Launch Bar</source>
        <translation>Anwendung zur Startleiste hinzufügen</translation>
    </message>
    <message>
        <source>&amp;Label:</source>
        <translation>&amp;Bezeichnung:</translation>
    </message>
    <message>
        <source>The name shown as the button&apos;s tooltip</source>
        <translation>Der Name, den die Schaltfläche als Tooltip zeigt</translation>
    </message>
    <message>
        <source>&amp;Command:</source>
        <translation>&amp;Befehl:</translation>
    </message>
    <message>
        <source>The program, desktop entry or document the button opens</source>
        <translation>Das Programm, der Desktop-Eintrag oder das Dokument, das die Schaltfläche öffnet</translation>
    </message>
    <message>
        <source>Choose the program</source>
        <translation>Programm wählen</translation>
    </message>
    <message>
        <source>&amp;?</source>
        <translation>&amp;?</translation>
    </message>
    <message>
        <source>&amp;Arguments:</source>
        <translation>&amp;Argumente:</translation>
    </message>
    <message>
        <source>Arguments passed to the program; quote arguments that contain spaces</source>
        <translation>Argumente für das Programm; Argumente mit Leerzeichen in Anführungszeichen setzen</translation>
    </message>
    <message>
        <source>&amp;Initial directory:</source>
        <translation>&amp;Startverzeichnis:</translation>
    </message>
    <message>
        <source>The working directory the program starts in</source>
        <translation>Das Arbeitsverzeichnis, in dem das Programm startet</translation>
    </message>
    <message>
        <source>Path to application icon:</source>
        <translation>Pfad zum Anwendungssymbol:</translation>
    </message>
    <message>
        <source>The file the button&apos;s icon is taken from: an icon or picture file, or a desktop entry</source>
        <translation>Die Datei, aus der das Symbol der Schaltfläche stammt: eine Symbol- oder Bilddatei oder ein Desktop-Eintrag</translation>
    </message>
    <message>
        <source>Choose the icon file</source>
        <translation>Symboldatei wählen</translation>
    </message>
    <message>
        <source>Icon inde&amp;x:</source>
        <translation>Symbol&amp;nummer:</translation>
    </message>
    <message>
        <source>Number of the icon in the icon file</source>
        <translation>Nummer des Symbols in der Symboldatei</translation>
    </message>
    <message>
        <source>The icon the button will show</source>
        <translation>Das Symbol, das die Schaltfläche zeigen wird</translation>
    </message>
    <message>
        <source>Ask for the program&apos;s window to open maximized (not every desktop honours it)</source>
        <translation>Das Programmfenster maximiert öffnen lassen (nicht jeder Desktop beachtet das)</translation>
    </message>
    <message>
        <source>Show maximized</source>
        <translation>Maximiert zeigen</translation>
    </message>
</context>
<context>
    <name>SetupDialog</name>
    <message>
        <source>Setup</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>File extensions of plug-ins</source>
        <translation>Dateiendungen von Plugins</translation>
    </message>
    <message>
        <source>Extensions of the files that are scanned as plug-ins, separated by commas</source>
        <translation>Endungen der Dateien, die als Plugins gelesen werden, durch Kommas getrennt</translation>
    </message>
    <message>
        <source>Put the default list of plug-in extensions into the field</source>
        <translation>Die Standardliste der Plugin-Endungen in das Feld setzen</translation>
    </message>
    <message>
        <source>Set default</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>Scan every file of the plug-in directories, whatever its extension</source>
        <translation>Jede Datei der Plugin-Verzeichnisse lesen, gleich welche Endung</translation>
    </message>
    <message>
        <source>&amp;Ignore extensions, scan all files</source>
        <translation>Endungen &amp;ignorieren, alle Dateien lesen</translation>
    </message>
    <message>
        <source>Plug-in directories</source>
        <translation>Plugin-Verzeichnisse</translation>
    </message>
    <message>
        <source>The plug-in directories in the order of the Directory menu</source>
        <translation>Die Plugin-Verzeichnisse in der Reihenfolge des Verzeichnis-Menüs</translation>
    </message>
    <message>
        <source>Label</source>
        <translation>Bezeichnung</translation>
    </message>
    <message>
        <source>Directory</source>
        <translation>Verzeichnis</translation>
    </message>
    <message>
        <source>Add a plug-in directory at the end of the list</source>
        <translation>Ein Plugin-Verzeichnis am Ende der Liste hinzufügen</translation>
    </message>
    <message>
        <source>&amp;Add...</source>
        <translation>&amp;Hinzufügen...</translation>
    </message>
    <message>
        <source>Change the label of the selected directory</source>
        <translation>Die Bezeichnung des ausgewählten Verzeichnisses ändern</translation>
    </message>
    <message>
        <source>&amp;Edit...</source>
        <translation>&amp;Bearbeiten...</translation>
    </message>
    <message>
        <source>Remove the selected directory and its catalogue file</source>
        <translation>Das ausgewählte Verzeichnis und seine Katalogdatei entfernen</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Entfernen</translation>
    </message>
    <message>
        <source>Move the selected directory up</source>
        <translation>Das ausgewählte Verzeichnis nach oben schieben</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>Auf</translation>
    </message>
    <message>
        <source>Move the selected directory down</source>
        <translation>Das ausgewählte Verzeichnis nach unten schieben</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>Ab</translation>
    </message>
    <message>
        <source>Plug-in folders found on this machine</source>
        <translation>Auf diesem Rechner gefundene Plugin-Ordner</translation>
    </message>
    <message>
        <source>Plug-in folders of hosts in the Wine prefixes of this machine; a double click adds one</source>
        <translation>Plugin-Ordner von Programmen in den Wine-Präfixen dieses Rechners; ein Doppelklick fügt einen hinzu</translation>
    </message>
    <message>
        <source>Host</source>
        <translation>Programm</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Plug-in files</source>
        <translation>Plugin-Dateien</translation>
    </message>
    <message>
        <source>Add the selected folder to the list, labelled after its host, with its subdirectories</source>
        <translation>Den gewählten Ordner mit seinen Unterverzeichnissen in die Liste aufnehmen, benannt nach seinem Programm</translation>
    </message>
    <message>
        <source>Add &amp;Found Folder</source>
        <translation>&amp;Gefundenen Ordner hinzufügen</translation>
    </message>
    <message>
        <source>&amp;Language:</source>
        <translation>&amp;Sprache:</translation>
    </message>
    <message>
        <source>The language of the program&apos;s texts from its next start</source>
        <translation>Die Sprache der Texte des Programms ab seinem nächsten Start</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Vardel: a catalogue of image-host plug-ins that renames, moves, enables and disables them.</source>
        <translation>Vardel: ein Katalog für Plugins von Bildprogrammen, der sie umbenennt, verschiebt, aktiviert und deaktiviert.</translation>
    </message>
    <message>
        <source>Keep the data (setup.db, images.db, preview) in &lt;dir&gt;.</source>
        <translation>Die Daten (setup.db, images.db, preview) in &lt;dir&gt; halten.</translation>
    </message>
    <message>
        <source>Keep the settings in the INI file &lt;file&gt; instead of the user&apos;s settings.</source>
        <translation>Die Einstellungen in der INI-Datei &lt;file&gt; statt in denen des Benutzers halten.</translation>
    </message>
    <message>
        <source>Screenshots: select item &lt;n&gt; of the Directory menu at start.</source>
        <translation>Bildschirmfotos: beim Start Eintrag &lt;n&gt; des Verzeichnis-Menüs wählen.</translation>
    </message>
    <message>
        <source>Screenshots: then select row &lt;n&gt; of the category list.</source>
        <translation>Bildschirmfotos: dann Zeile &lt;n&gt; der Kategorienliste wählen.</translation>
    </message>
    <message>
        <source>Screenshots: then select row &lt;n&gt; of the plug-in list.</source>
        <translation>Bildschirmfotos: dann Zeile &lt;n&gt; der Plugin-Liste wählen.</translation>
    </message>
    <message>
        <source>Screenshots: write a PNG of the main window to &lt;file&gt; once it settled, then quit.</source>
        <translation>Bildschirmfotos: ein PNG des Hauptfensters nach &lt;file&gt; schreiben, sobald es fertig ist, dann beenden.</translation>
    </message>
    <message>
        <source>Screenshots: then open &quot;Plugin Details&quot; of the selected plug-in and write a PNG of it to &lt;file&gt;.</source>
        <translation>Bildschirmfotos: danach die „Plugin-Details“ des gewählten Plugins öffnen und als PNG in &lt;Datei&gt; schreiben.</translation>
    </message>
    <message>
        <source>The data directory %1 does not exist.</source>
        <translation>Das Datenverzeichnis %1 gibt es nicht.</translation>
    </message>
    <message>
        <source>Use the language &lt;code&gt; (de, en); the one chosen in Setup or the locale&apos;s otherwise.</source>
        <translation>Die Sprache &lt;code&gt; (de, en) verwenden; sonst die in den Einstellungen gewählte oder die des Systems.</translation>
    </message>
</context>
<context>
    <name>vardel::ui::AboutDialog</name>
    <message>
        <source>About Vardel</source>
        <translation>Über Vardel</translation>
    </message>
    <message>
        <source>&lt;b&gt;Vardel 2.0&lt;/b&gt;</source>
        <translation>&lt;b&gt;Vardel 2.0&lt;/b&gt;</translation>
    </message>
    <message>
        <source>A catalogue for collectors of image-host plug-ins: it reads plug-in descriptions without running plug-in code, renames, moves, enables and disables plug-ins, keeps preview images and descriptions, and renders Filter Factory filters.</source>
        <translation>Ein Katalog für Sammler von Plugins für Bildprogramme: er liest Plugin-Beschreibungen, ohne Plugin-Code auszuführen, benennt Plugins um, verschiebt, aktiviert und deaktiviert sie, bewahrt Vorschaubilder und Beschreibungen auf und berechnet Filter-Factory-Filter.</translation>
    </message>
    <message>
        <source>Version %1
Copyright © Orvane Software</source>
        <translation>Version %1
Copyright © Orvane Software</translation>
    </message>
</context>
<context>
    <name>vardel::ui::CMainFrame</name>
    <message>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Plugin</source>
        <translation>&amp;Plugin</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation>Symbolleiste</translation>
    </message>
    <message>
        <source>&amp;Toolbar</source>
        <translation>&amp;Symbolleiste</translation>
    </message>
    <message>
        <source>Show or hide the toolbar</source>
        <translation>Symbolleiste ein- oder ausblenden</translation>
    </message>
    <message>
        <source>Launchbar</source>
        <translation>Startleiste</translation>
    </message>
    <message>
        <source>&amp;Launch Bar</source>
        <translation>S&amp;tartleiste</translation>
    </message>
    <message>
        <source>Show or hide the launch bar</source>
        <translation>Startleiste ein- oder ausblenden</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>Show or hide the plug-in preview</source>
        <translation>Plugin-Vorschau ein- oder ausblenden</translation>
    </message>
    <message>
        <source>Plugin Information</source>
        <translation>Plugin-Information</translation>
    </message>
    <message>
        <source>&amp;Plugin Information</source>
        <translation>&amp;Plugin-Information</translation>
    </message>
    <message>
        <source>Show or hide the plug-in information</source>
        <translation>Plugin-Information ein- oder ausblenden</translation>
    </message>
    <message>
        <source>Scan stopped; the catalogue is as it was.</source>
        <translation>Suche abgebrochen; der Katalog ist unverändert.</translation>
    </message>
    <message>
        <source>%1 - Vardel 2.0</source>
        <translation>%1 - Vardel 2.0</translation>
    </message>
    <message>
        <source>The manual was not found next to the program.</source>
        <translation>Das Handbuch wurde neben dem Programm nicht gefunden.</translation>
    </message>
    <message>
        <source>Set up the plug-in directories and the scan</source>
        <translation>Plugin-Verzeichnisse und Suche einrichten</translation>
    </message>
    <message>
        <source>&amp;Print...</source>
        <translation>&amp;Drucken...</translation>
    </message>
    <message>
        <source>Print (not available)</source>
        <translation>Drucken (nicht verfügbar)</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Quit Vardel</source>
        <translation>Vardel beenden</translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation>Status&amp;leiste</translation>
    </message>
    <message>
        <source>Show or hide the status bar</source>
        <translation>Statusleiste ein- oder ausblenden</translation>
    </message>
    <message>
        <source>Select plugin directory</source>
        <translation>Plugin-Verzeichnis wählen</translation>
    </message>
    <message>
        <source>Re-Scan all Plugins, bypassing the Plugin cache mechanism</source>
        <translation>Alle Plugins neu einlesen, ohne den Plugin-Zwischenspeicher</translation>
    </message>
    <message>
        <source>&amp;Manual...</source>
        <translation>&amp;Handbuch...</translation>
    </message>
    <message>
        <source>Open the manual in the web browser</source>
        <translation>Das Handbuch im Webbrowser öffnen</translation>
    </message>
    <message>
        <source>&amp;Tip of the day...</source>
        <translation>&amp;Tipp des Tages...</translation>
    </message>
    <message>
        <source>Show the tip of the day</source>
        <translation>Den Tipp des Tages zeigen</translation>
    </message>
    <message>
        <source>&amp;About Vardel...</source>
        <translation>&amp;Über Vardel...</translation>
    </message>
    <message>
        <source>Show the program&apos;s version and credits</source>
        <translation>Version und Mitwirkende des Programms zeigen</translation>
    </message>
    <message>
        <source>Vardel &amp;Website</source>
        <translation>Vardel-&amp;Webseite</translation>
    </message>
    <message>
        <source>Cancel scan</source>
        <translation>Suche abbrechen</translation>
    </message>
    <message>
        <source>Stop the scan</source>
        <translation>Die Suche abbrechen</translation>
    </message>
    <message>
        <source>Next pane</source>
        <translation>Nächster Bereich</translation>
    </message>
    <message>
        <source>Move the focus to the next pane</source>
        <translation>Den Fokus in den nächsten Bereich setzen</translation>
    </message>
    <message>
        <source>Previous pane</source>
        <translation>Voriger Bereich</translation>
    </message>
    <message>
        <source>Move the focus to the previous pane</source>
        <translation>Den Fokus in den vorigen Bereich setzen</translation>
    </message>
    <message>
        <source>Untitled</source>
        <translation>Unbenannt</translation>
    </message>
    <message>
        <source>&amp;Setup...</source>
        <translation>&amp;Einstellungen...</translation>
    </message>
    <message>
        <source>Re-&amp;Scan all</source>
        <translation>Alles &amp;neu einlesen</translation>
    </message>
    <message>
        <source>Open Vardel&apos;s own page in the manual</source>
        <translation>Die Seite über Vardel im Handbuch öffnen</translation>
    </message>
    <message>
        <source>Plugin Pre&amp;view</source>
        <translation>Plugin-&amp;Vorschau</translation>
    </message>
    <message>
        <source>&amp;New Catalogue File</source>
        <translation>&amp;Neue Katalogdatei</translation>
    </message>
    <message>
        <source>No new catalogue file could be made in %1.</source>
        <translation>In %1 konnte keine neue Katalogdatei angelegt werden.</translation>
    </message>
    <message>
        <source>No web browser could be started to show the manual. It is the file
%1</source>
        <translation>Es konnte kein Webbrowser gestartet werden, um das Handbuch zu zeigen. Es ist die Datei
%1</translation>
    </message>
    <message>
        <source>&amp;Export Catalogue...</source>
        <translation>&amp;Katalog exportieren...</translation>
    </message>
    <message>
        <source>Write the catalogue shown as a CSV table or a web page</source>
        <translation>Den gezeigten Katalog als CSV-Tabelle oder Webseite schreiben</translation>
    </message>
    <message>
        <source>D&amp;uplicates...</source>
        <translation>Doppe&amp;lte Plugins...</translation>
    </message>
    <message>
        <source>Find plug-ins installed twice or shown twice, across every directory</source>
        <translation>Doppelt installierte oder doppelt angezeigte Plugins in allen Verzeichnissen finden</translation>
    </message>
    <message>
        <source>Export Catalogue</source>
        <translation>Katalog exportieren</translation>
    </message>
    <message>
        <source>CSV table (*.csv)</source>
        <translation>CSV-Tabelle (*.csv)</translation>
    </message>
    <message>
        <source>Web page (*.html)</source>
        <translation>Webseite (*.html)</translation>
    </message>
    <message>
        <source>Exporting the catalogue...</source>
        <translation>Der Katalog wird exportiert...</translation>
    </message>
    <message numerus="yes">
        <source>%n plug-in(s) exported to %1.</source>
        <translation>
            <numerusform>%n Plugin nach %1 exportiert.</numerusform>
            <numerusform>%n Plugins nach %1 exportiert.</numerusform>
        </translation>
    </message>
    <message>
        <source>An export is never written into setup.db, where the program keeps its stores.</source>
        <translation>Ein Export wird nie in setup.db geschrieben, wo das Programm seine Speicher hält.</translation>
    </message>
    <message>
        <source>The export could not be written to %1: %2</source>
        <translation>Der Export konnte nicht nach %1 geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Plug-in files changed on disk: the catalogue was refreshed.</source>
        <translation>Plug-in-Dateien wurden auf der Festplatte geändert: Der Katalog wurde aufgefrischt.</translation>
    </message>
</context>
<context>
    <name>vardel::ui::CVardelView</name>
    <message>
        <source>Categories: %1</source>
        <translation>Kategorien: %1</translation>
    </message>
    <message>
        <source>Plugins: %1</source>
        <translation>Plugins: %1</translation>
    </message>
    <message>
        <source>Enabled: %1</source>
        <translation>Aktiv: %1</translation>
    </message>
    <message>
        <source>Selected: %1</source>
        <translation>Ausgewählt: %1</translation>
    </message>
    <message>
        <source>&amp;Large Preview...</source>
        <translation>&amp;Große Vorschau...</translation>
    </message>
    <message>
        <source>Show the plug-in&apos;s details with its large preview</source>
        <translation>Die Details des Plugins mit großer Vorschau zeigen</translation>
    </message>
    <message>
        <source>Plugin &amp;Properties...</source>
        <translation>Plugin-&amp;Eigenschaften...</translation>
    </message>
    <message>
        <source>Show the plug-in&apos;s general properties</source>
        <translation>Die allgemeinen Eigenschaften des Plugins zeigen</translation>
    </message>
    <message>
        <source>&amp;Enable</source>
        <translation>&amp;Aktivieren</translation>
    </message>
    <message>
        <source>Enable the selected plug-ins</source>
        <translation>Die ausgewählten Plugins aktivieren</translation>
    </message>
    <message>
        <source>&amp;Disable</source>
        <translation>&amp;Deaktivieren</translation>
    </message>
    <message>
        <source>Disable the selected plug-ins</source>
        <translation>Die ausgewählten Plugins deaktivieren</translation>
    </message>
    <message>
        <source>&amp;Move...</source>
        <translation>Ver&amp;schieben...</translation>
    </message>
    <message>
        <source>Move the selected plug-ins to another category</source>
        <translation>Die ausgewählten Plugins in eine andere Kategorie verschieben</translation>
    </message>
    <message>
        <source>&amp;Rename...</source>
        <translation>&amp;Umbenennen...</translation>
    </message>
    <message>
        <source>Rename the selected plug-in</source>
        <translation>Das ausgewählte Plugin umbenennen</translation>
    </message>
    <message>
        <source>Select &amp;All</source>
        <translation>&amp;Alles auswählen</translation>
    </message>
    <message>
        <source>Select every plug-in of the list</source>
        <translation>Alle Plugins der Liste auswählen</translation>
    </message>
    <message>
        <source>&amp;Find Plugins</source>
        <translation>Plugins &amp;suchen</translation>
    </message>
    <message>
        <source>Search the catalogue for plug-ins</source>
        <translation>Im Katalog nach Plugins suchen</translation>
    </message>
    <message>
        <source>Enable every plug-in of the category</source>
        <translation>Alle Plugins der Kategorie aktivieren</translation>
    </message>
    <message>
        <source>Disable every plug-in of the category</source>
        <translation>Alle Plugins der Kategorie deaktivieren</translation>
    </message>
    <message>
        <source>Move every plug-in of the category to another category</source>
        <translation>Alle Plugins der Kategorie in eine andere Kategorie verschieben</translation>
    </message>
    <message>
        <source>Rename the category in every plug-in file of it</source>
        <translation>Die Kategorie in allen ihren Plugin-Dateien umbenennen</translation>
    </message>
    <message>
        <source>No plug-in directory yet: File &gt; Setup... adds one.</source>
        <translation>Noch kein Plugin-Verzeichnis: Datei &gt; Einstellungen... fügt eines hinzu.</translation>
    </message>
    <message>
        <source>Choose a plug-in directory from Plugin &gt; Directory (F4).</source>
        <translation>Ein Plugin-Verzeichnis unter Plugin &gt; Verzeichnis (F4) wählen.</translation>
    </message>
    <message>
        <source>No plug-ins were found in this directory.</source>
        <translation>In diesem Verzeichnis wurden keine Plugins gefunden.</translation>
    </message>
</context>
<context>
    <name>vardel::ui::CatalogueCommands</name>
    <message>
        <source>%1: read-only, or it has no category of its own</source>
        <translation>%1: schreibgeschützt oder ohne eigene Kategorie</translation>
    </message>
    <message numerus="yes">
        <source>%1: has room for %n characters only</source>
        <translation>
            <numerusform>%1: hat nur Platz für %n Zeichen</numerusform>
            <numerusform>%1: hat nur Platz für %n Zeichen</numerusform>
        </translation>
    </message>
    <message>
        <source>These plug-ins were not moved to &quot;%1&quot;:</source>
        <translation>Diese Plugins wurden nicht nach „%1“ verschoben:</translation>
    </message>
    <message numerus="yes">
        <source>%n of the files to change is signed; changing it breaks its signature.</source>
        <translation>
            <numerusform>%n der zu ändernden Dateien ist signiert; die Änderung macht ihre Signatur ungültig.</numerusform>
            <numerusform>%n der zu ändernden Dateien sind signiert; die Änderung macht ihre Signaturen ungültig.</numerusform>
        </translation>
    </message>
    <message>
        <source>Change anyway?</source>
        <translation>Trotzdem ändern?</translation>
    </message>
    <message numerus="yes">
        <source>The files also hold %n other plug-in(s); they are enabled with them.</source>
        <translation>
            <numerusform>Die Dateien enthalten noch %n weiteres Plugin; es wird mit ihnen aktiviert.</numerusform>
            <numerusform>Die Dateien enthalten noch %n weitere Plugins; sie werden mit ihnen aktiviert.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The files also hold %n other plug-in(s); they are disabled with them.</source>
        <translation>
            <numerusform>Die Dateien enthalten noch %n weiteres Plugin; es wird mit ihnen deaktiviert.</numerusform>
            <numerusform>Die Dateien enthalten noch %n weitere Plugins; sie werden mit ihnen deaktiviert.</numerusform>
        </translation>
    </message>
    <message>
        <source>Show Details... lists them.</source>
        <translation>Details einblenden... führt sie auf.</translation>
    </message>
    <message>
        <source>Enable every plug-in of the category &quot;%1&quot;?</source>
        <translation>Alle Plugins der Kategorie „%1“ aktivieren?</translation>
    </message>
    <message>
        <source>Disable every plug-in of the category &quot;%1&quot;?</source>
        <translation>Alle Plugins der Kategorie „%1“ deaktivieren?</translation>
    </message>
    <message numerus="yes">
        <source>%n plug-in file(s) will be renamed.</source>
        <translation>
            <numerusform>%n Plugin-Datei wird umbenannt.</numerusform>
            <numerusform>%n Plugin-Dateien werden umbenannt.</numerusform>
        </translation>
    </message>
    <message>
        <source>Rename the category &quot;%1&quot; to &quot;%2&quot;?</source>
        <translation>Die Kategorie „%1“ in „%2“ umbenennen?</translation>
    </message>
    <message numerus="yes">
        <source>%n plug-in file(s) will be rewritten.</source>
        <translation>
            <numerusform>%n Plugin-Datei wird neu geschrieben.</numerusform>
            <numerusform>%n Plugin-Dateien werden neu geschrieben.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>They also hold %n plug-in(s) of other categories, enabled with them.</source>
        <translation>
            <numerusform>Sie enthalten auch %n Plugin anderer Kategorien, das mit ihnen aktiviert wird.</numerusform>
            <numerusform>Sie enthalten auch %n Plugins anderer Kategorien, die mit ihnen aktiviert werden.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>They also hold %n plug-in(s) of other categories, disabled with them.</source>
        <translation>
            <numerusform>Sie enthalten auch %n Plugin anderer Kategorien, das mit ihnen deaktiviert wird.</numerusform>
            <numerusform>Sie enthalten auch %n Plugins anderer Kategorien, die mit ihnen deaktiviert werden.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>vardel::ui::CategoryDialog</name>
    <message>
        <source>Up to %1 characters allowed</source>
        <translation>Bis zu %1 Zeichen erlaubt</translation>
    </message>
    <message numerus="yes">
        <source>Up to %n characters</source>
        <translation>
            <numerusform>Bis zu %n Zeichen</numerusform>
            <numerusform>Bis zu %n Zeichen</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>vardel::ui::CategoryListModel</name>
    <message numerus="yes">
        <source>%1: up to %n characters</source>
        <translation>
            <numerusform>%1: bis zu %n Zeichen</numerusform>
            <numerusform>%1: bis zu %n Zeichen</numerusform>
        </translation>
    </message>
    <message>
        <source>(no category)</source>
        <translation>(keine Kategorie)</translation>
    </message>
</context>
<context>
    <name>vardel::ui::ClassNames</name>
    <message>
        <source>Photoshop Filter Plugins</source>
        <translation>Photoshop-Filter-Plugins</translation>
    </message>
    <message>
        <source>Photoshop General Plugins</source>
        <translation>Photoshop-Plugins (allgemein)</translation>
    </message>
    <message>
        <source>After Effects Effect Plugins</source>
        <translation>After-Effects-Effekt-Plugins</translation>
    </message>
    <message>
        <source>After Effects General Plugins</source>
        <translation>After-Effects-Plugins (allgemein)</translation>
    </message>
    <message>
        <source>Illustrator Plugins</source>
        <translation>Illustrator-Plugins</translation>
    </message>
    <message>
        <source>Premiere Filter Plugins</source>
        <translation>Premiere-Filter-Plugins</translation>
    </message>
    <message>
        <source>Premiere General Plugins</source>
        <translation>Premiere-Plugins (allgemein)</translation>
    </message>
</context>
<context>
    <name>vardel::ui::ClassSelector</name>
    <message>
        <source>Plug-in class: click to choose another</source>
        <translation>Plugin-Klasse: klicken, um eine andere zu wählen</translation>
    </message>
    <message>
        <source>Choose the class of plug-ins to show</source>
        <translation>Die Klasse der gezeigten Plugins wählen</translation>
    </message>
</context>
<context>
    <name>vardel::ui::DirectoryDialog</name>
    <message>
        <source>The specified directory does not exist!</source>
        <translation>Das angegebene Verzeichnis existiert nicht!</translation>
    </message>
    <message>
        <source>Select a folder to scan for plug-ins:</source>
        <translation>Einen Ordner wählen, der nach Plugins durchsucht wird:</translation>
    </message>
</context>
<context>
    <name>vardel::ui::DirectoryMenu</name>
    <message>
        <source>D&amp;irectory</source>
        <translation>&amp;Verzeichnis</translation>
    </message>
</context>
<context>
    <name>vardel::ui::DuplicatesDialog</name>
    <message>
        <source>Duplicates</source>
        <translation>Doppelte Plugins</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopie</translation>
    </message>
    <message>
        <source>Directory</source>
        <translation>Verzeichnis</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Zustand</translation>
    </message>
    <message>
        <source>&amp;Enable</source>
        <translation>&amp;Aktivieren</translation>
    </message>
    <message>
        <source>&amp;Disable</source>
        <translation>&amp;Deaktivieren</translation>
    </message>
    <message>
        <source>S&amp;how in Main Window</source>
        <translation>Im &amp;Hauptfenster zeigen</translation>
    </message>
    <message>
        <source>&amp;Look Again</source>
        <translation>&amp;Erneut suchen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Enable the ticked copies (or the one selected)</source>
        <translation>Die angekreuzten Kopien (oder die gewählte) aktivieren</translation>
    </message>
    <message>
        <source>Disable the ticked copies (or the one selected): the host loads them no more</source>
        <translation>Die angekreuzten Kopien (oder die gewählte) deaktivieren: das Programm lädt sie nicht mehr</translation>
    </message>
    <message>
        <source>Looking for duplicates in every directory of the list...</source>
        <translation>Doppelte Plugins werden in allen Verzeichnissen der Liste gesucht...</translation>
    </message>
    <message numerus="yes">
        <source>%n group(s) of duplicates.</source>
        <translation>
            <numerusform>%n Gruppe doppelter Plugins.</numerusform>
            <numerusform>%n Gruppen doppelter Plugins.</numerusform>
        </translation>
    </message>
    <message>
        <source>The search was stopped.</source>
        <translation>Die Suche wurde abgebrochen.</translation>
    </message>
    <message>
        <source>Not looked at: %1 (%2)</source>
        <translation>Nicht durchsucht: %1 (%2)</translation>
    </message>
    <message numerus="yes">
        <source>Same content: %n copies of %1 bytes</source>
        <translation>
            <numerusform>Gleicher Inhalt: %n Kopie von %1 Bytes</numerusform>
            <numerusform>Gleicher Inhalt: %n Kopien von %1 Bytes</numerusform>
        </translation>
    </message>
    <message>
        <source>Same name: &quot;%1&quot; in &quot;%2&quot; (%3)</source>
        <translation>Gleicher Name: „%1“ in „%2“ (%3)</translation>
    </message>
    <message numerus="yes">
        <source>%n enabled</source>
        <translation>
            <numerusform>%n aktiv</numerusform>
            <numerusform>%n aktiv</numerusform>
        </translation>
    </message>
    <message>
        <source>enabled</source>
        <translation>aktiv</translation>
    </message>
    <message>
        <source>disabled</source>
        <translation>deaktiviert</translation>
    </message>
</context>
<context>
    <name>vardel::ui::FilterPreview</name>
    <message>
        <source>No sample image: &quot;%1&quot; cannot be read.</source>
        <translation>Kein Beispielbild: „%1“ kann nicht gelesen werden.</translation>
    </message>
    <message>
        <source>The preview could not be rendered: %1</source>
        <translation>Die Vorschau konnte nicht berechnet werden: %1</translation>
    </message>
    <message>
        <source>The %1 formula is nested too deeply to be run.</source>
        <translation>Die %1-Formel ist zu tief verschachtelt, um ausgeführt zu werden.</translation>
    </message>
    <message>
        <source>Syntax error in the %1 formula.</source>
        <translation>Syntaxfehler in der %1-Formel.</translation>
    </message>
    <message>
        <source>The sample image has %1 bits per pixel; only 24- and 32-bit images are rendered.</source>
        <translation>Das Beispielbild hat %1 Bit pro Pixel; nur 24- und 32-Bit-Bilder werden berechnet.</translation>
    </message>
    <message>
        <source>The filter uses an operation the interpreter does not know; the picture may be wrong.</source>
        <translation>Der Filter verwendet eine Operation, die der Interpreter nicht kennt; das Bild kann falsch sein.</translation>
    </message>
    <message>
        <source>red (R)</source>
        <translation>Rot (R)</translation>
    </message>
    <message>
        <source>green (G)</source>
        <translation>Grün (G)</translation>
    </message>
    <message>
        <source>blue (B)</source>
        <translation>Blau (B)</translation>
    </message>
    <message>
        <source>alpha (A)</source>
        <translation>Alpha (A)</translation>
    </message>
</context>
<context>
    <name>vardel::ui::FindDialog</name>
    <message>
        <source>Find Plugins</source>
        <translation>Plugins suchen</translation>
    </message>
    <message>
        <source>Match Case</source>
        <translation>Groß-/Kleinschreibung</translation>
    </message>
    <message>
        <source>&amp;Find</source>
        <translation>&amp;Suchen</translation>
    </message>
    <message>
        <source>Search in</source>
        <translation>Suchen in</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Category</source>
        <translation>Kategorie</translation>
    </message>
    <message>
        <source>Author</source>
        <translation>Autor</translation>
    </message>
    <message>
        <source>Filename</source>
        <translation>Dateiname</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <source>Keywords</source>
        <translation>Stichwörter</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Keyword:</source>
        <translation>Stichwort:</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>&amp;Stopp</translation>
    </message>
    <message>
        <source>Searching...</source>
        <translation>Suche...</translation>
    </message>
    <message>
        <source>The search was stopped.</source>
        <translation>Die Suche wurde abgebrochen.</translation>
    </message>
    <message numerus="yes">
        <source>%n plug-in(s) found.</source>
        <translation>
            <numerusform>%n Plugin gefunden.</numerusform>
            <numerusform>%n Plugins gefunden.</numerusform>
        </translation>
    </message>
    <message>
        <source>The Filter Factory data of this plug-in cannot be read.</source>
        <translation>Die Filter-Factory-Daten dieses Plugins können nicht gelesen werden.</translation>
    </message>
</context>
<context>
    <name>vardel::ui::HistoryActions</name>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <source>Take back the last change to plug-in files</source>
        <translation>Die letzte Änderung an Plug-in-Dateien zurücknehmen</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Wiederholen</translation>
    </message>
    <message>
        <source>Make the change taken back last again</source>
        <translation>Die zuletzt zurückgenommene Änderung erneut ausführen</translation>
    </message>
    <message>
        <source>&amp;History...</source>
        <translation>&amp;Verlauf...</translation>
    </message>
    <message>
        <source>The changes made to plug-in files, newest first; take back any of them</source>
        <translation>Die Änderungen an Plug-in-Dateien, neueste zuerst; jede lässt sich zurücknehmen</translation>
    </message>
    <message>
        <source>Find &amp;Troublemaker...</source>
        <translation>Störenfried &amp;finden...</translation>
    </message>
    <message>
        <source>Find the plug-in file that breaks a host by disabling half of them at a time</source>
        <translation>Die Plug-in-Datei finden, die ein Host-Programm stört, indem jeweils die Hälfte deaktiviert wird</translation>
    </message>
    <message>
        <source>Undo: %1</source>
        <translation>Rückgängig: %1</translation>
    </message>
    <message>
        <source>Redo: %1</source>
        <translation>Wiederholen: %1</translation>
    </message>
    <message>
        <source>Changing plug-in files...</source>
        <translation>Plug-in-Dateien werden geändert...</translation>
    </message>
    <message>
        <source>Nothing was changed.</source>
        <translation>Nichts wurde geändert.</translation>
    </message>
    <message>
        <source>Taken back.</source>
        <translation>Zurückgenommen.</translation>
    </message>
    <message>
        <source>Done again.</source>
        <translation>Erneut ausgeführt.</translation>
    </message>
    <message>
        <source>A change to plug-in files was cut short: &quot;%1&quot;.</source>
        <translation>Eine Änderung an Plug-in-Dateien wurde unterbrochen: „%1“.</translation>
    </message>
    <message>
        <source>Complete it, or roll it back so that every file is as it was before? Either way each file is checked first.</source>
        <translation>Zu Ende führen oder zurückrollen, sodass jede Datei wieder wie vorher ist? In beiden Fällen wird jede Datei zuerst geprüft.</translation>
    </message>
    <message>
        <source>&amp;Complete</source>
        <translation>Zu Ende &amp;führen</translation>
    </message>
    <message>
        <source>&amp;Roll Back</source>
        <translation>&amp;Zurückrollen</translation>
    </message>
    <message>
        <source>&amp;Later</source>
        <translation>&amp;Später</translation>
    </message>
</context>
<context>
    <name>vardel::ui::HistoryDialog</name>
    <message>
        <source>cut short</source>
        <translation>unterbrochen</translation>
    </message>
    <message>
        <source>undo cut short</source>
        <translation>Rücknahme unterbrochen</translation>
    </message>
    <message>
        <source>taken back</source>
        <translation>zurückgenommen</translation>
    </message>
    <message>
        <source>done</source>
        <translation>ausgeführt</translation>
    </message>
    <message>
        <source>History</source>
        <translation>Verlauf</translation>
    </message>
    <message>
        <source>When</source>
        <translation>Wann</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>Änderung</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Stand</translation>
    </message>
    <message>
        <source>&amp;Take Back...</source>
        <translation>&amp;Zurücknehmen...</translation>
    </message>
    <message>
        <source>No change to a plug-in file has been made yet.</source>
        <translation>Bisher wurde keine Plug-in-Datei geändert.</translation>
    </message>
    <message>
        <source>The changes made to plug-in files, newest first. A change taken back takes the later changes to the same files with it.</source>
        <translation>Die Änderungen an Plug-in-Dateien, neueste zuerst. Wird eine Änderung zurückgenommen, werden die späteren Änderungen an denselben Dateien mit zurückgenommen.</translation>
    </message>
    <message>
        <source>Roll back &quot;%1&quot;?</source>
        <translation>„%1“ zurückrollen?</translation>
    </message>
    <message>
        <source>Take back &quot;%1&quot;?</source>
        <translation>„%1“ zurücknehmen?</translation>
    </message>
    <message numerus="yes">
        <source>%n later change(s) to the same files are taken back first.</source>
        <translation>
            <numerusform>%n spätere Änderung an denselben Dateien wird zuerst zurückgenommen.</numerusform>
            <numerusform>%n spätere Änderungen an denselben Dateien werden zuerst zurückgenommen.</numerusform>
        </translation>
    </message>
    <message>
        <source>Every file is checked first; a file another program changed is left alone.</source>
        <translation>Jede Datei wird zuerst geprüft; eine Datei, die ein anderes Programm geändert hat, bleibt unberührt.</translation>
    </message>
</context>
<context>
    <name>vardel::ui::InformationBar</name>
    <message>
        <source>Author:</source>
        <translation>Autor:</translation>
    </message>
    <message>
        <source>The author a Filter Factory filter names</source>
        <translation>Der Autor, den ein Filter-Factory-Filter nennt</translation>
    </message>
    <message>
        <source>Description:</source>
        <translation>Beschreibung:</translation>
    </message>
    <message>
        <source>The plug-in&apos;s description</source>
        <translation>Die Beschreibung des Plugins</translation>
    </message>
    <message>
        <source>Filename:</source>
        <translation>Dateiname:</translation>
    </message>
</context>
<context>
    <name>vardel::ui::LabelEdit</name>
    <message numerus="yes">
        <source>Up to %n characters fit into the plug-in file.</source>
        <translation>
            <numerusform>Bis zu %n Zeichen passen in die Plugin-Datei.</numerusform>
            <numerusform>Bis zu %n Zeichen passen in die Plugin-Datei.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The plug-in file has room for %n characters; no more fit.</source>
        <translation>
            <numerusform>Die Plugin-Datei hat Platz für %n Zeichen; mehr passen nicht.</numerusform>
            <numerusform>Die Plugin-Datei hat Platz für %n Zeichen; mehr passen nicht.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>vardel::ui::LaunchBar</name>
    <message>
        <source>Launchbar Context</source>
        <translation>Startleiste</translation>
    </message>
    <message>
        <source>&amp;Edit...</source>
        <translation>&amp;Bearbeiten...</translation>
    </message>
    <message>
        <source>Edit launch bar entry</source>
        <translation>Eintrag der Startleiste bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>Delete launch bar entry</source>
        <translation>Eintrag der Startleiste löschen</translation>
    </message>
    <message>
        <source>Empty slot: click to add an application</source>
        <translation>Leerer Platz: klicken, um eine Anwendung hinzuzufügen</translation>
    </message>
    <message>
        <source>Add an application to the launch bar</source>
        <translation>Eine Anwendung zur Startleiste hinzufügen</translation>
    </message>
</context>
<context>
    <name>vardel::ui::LaunchBarEntryDialog</name>
    <message>
        <source>Choose the application</source>
        <translation>Anwendung wählen</translation>
    </message>
    <message>
        <source>Programs and documents (*);;Desktop entries (*.desktop);;Scripts (*.sh *.py)</source>
        <translation>Programme und Dokumente (*);;Desktop-Einträge (*.desktop);;Skripte (*.sh *.py)</translation>
    </message>
    <message>
        <source>Choose the application icon</source>
        <translation>Anwendungssymbol wählen</translation>
    </message>
    <message>
        <source>Icon files (*.ico *.png *.svg *.svgz *.xpm *.desktop);;All files (*)</source>
        <translation>Symboldateien (*.ico *.png *.svg *.svgz *.xpm *.desktop);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Programs cannot be asked to open maximized on this system; the setting is kept as it is.</source>
        <translation>Auf diesem System lassen sich Programme nicht maximiert starten; die Einstellung bleibt, wie sie ist.</translation>
    </message>
</context>
<context>
    <name>vardel::ui::PluginDetailSheet</name>
    <message>
        <source> Preview </source>
        <translation> Vorschau </translation>
    </message>
    <message>
        <source> Author/Description </source>
        <translation> Autor/Beschreibung </translation>
    </message>
    <message>
        <source> Filter Factory Code </source>
        <translation> Filter-Factory-Code </translation>
    </message>
    <message>
        <source> General Properties </source>
        <translation> Allgemeine Eigenschaften </translation>
    </message>
    <message>
        <source>Plugin Details</source>
        <translation>Plugin-Details</translation>
    </message>
</context>
<context>
    <name>vardel::ui::PluginFFCodeProp</name>
    <message>
        <source>R:</source>
        <translation>R:</translation>
    </message>
    <message>
        <source>G:</source>
        <translation>G:</translation>
    </message>
    <message>
        <source>B:</source>
        <translation>B:</translation>
    </message>
    <message>
        <source>A:</source>
        <translation>A:</translation>
    </message>
</context>
<context>
    <name>vardel::ui::PluginFFDescProp</name>
    <message>
        <source>Author:</source>
        <translation>Autor:</translation>
    </message>
    <message>
        <source>Copyright:</source>
        <translation>Copyright:</translation>
    </message>
    <message>
        <source>Original Name:</source>
        <translation>Ursprünglicher Name:</translation>
    </message>
    <message>
        <source>Original Category:</source>
        <translation>Ursprüngliche Kategorie:</translation>
    </message>
    <message>
        <source>Description:</source>
        <translation>Beschreibung:</translation>
    </message>
    <message>
        <source>Keywords:</source>
        <translation>Stichwörter:</translation>
    </message>
</context>
<context>
    <name>vardel::ui::PluginFixedPreviewProp</name>
    <message>
        <source>First image</source>
        <translation>Erstes Bild</translation>
    </message>
    <message>
        <source>Previous image</source>
        <translation>Voriges Bild</translation>
    </message>
    <message>
        <source>Next image</source>
        <translation>Nächstes Bild</translation>
    </message>
    <message>
        <source>Last image</source>
        <translation>Letztes Bild</translation>
    </message>
    <message>
        <source>Delete this Image</source>
        <translation>Dieses Bild löschen</translation>
    </message>
    <message>
        <source>Paste from Clipboard</source>
        <translation>Aus der Zwischenablage einfügen</translation>
    </message>
    <message>
        <source>Capture Window</source>
        <translation>Fenster aufnehmen</translation>
    </message>
    <message>
        <source>Hides Vardel for %1 seconds, then captures the window under the mouse pointer.</source>
        <translation>Blendet Vardel %1 Sekunden lang aus und nimmt dann das Fenster unter dem Mauszeiger auf.</translation>
    </message>
    <message>
        <source>Description:</source>
        <translation>Beschreibung:</translation>
    </message>
    <message>
        <source>Keywords:</source>
        <translation>Stichwörter:</translation>
    </message>
    <message>
        <source>Do you want to delete this preview image?</source>
        <translation>Wollen Sie dieses Vorschaubild löschen?</translation>
    </message>
</context>
<context>
    <name>vardel::ui::PluginGeneralProp</name>
    <message>
        <source>Name:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>Category:</source>
        <translation>Kategorie:</translation>
    </message>
    <message>
        <source>Plugin Kind:</source>
        <translation>Plugin-Art:</translation>
    </message>
    <message>
        <source>Resource:</source>
        <translation>Ressource:</translation>
    </message>
    <message>
        <source>Original Name:</source>
        <translation>Ursprünglicher Name:</translation>
    </message>
    <message>
        <source>Original Category:</source>
        <translation>Ursprüngliche Kategorie:</translation>
    </message>
    <message>
        <source>Filename:</source>
        <translation>Dateiname:</translation>
    </message>
    <message>
        <source>Bytes</source>
        <translation>Bytes</translation>
    </message>
    <message>
        <source>Size:</source>
        <translation>Größe:</translation>
    </message>
    <message>
        <source>not a module</source>
        <translation>kein Modul</translation>
    </message>
    <message>
        <source>%1 (32-bit)</source>
        <translation>%1 (32 Bit)</translation>
    </message>
    <message>
        <source>%1 (64-bit)</source>
        <translation>%1 (64 Bit)</translation>
    </message>
    <message>
        <source>Signature:</source>
        <translation>Signatur:</translation>
    </message>
    <message>
        <source>Signed</source>
        <translation>Signiert</translation>
    </message>
    <message>
        <source>Not signed</source>
        <translation>Nicht signiert</translation>
    </message>
    <message>
        <source>Machine:</source>
        <translation>Maschine:</translation>
    </message>
    <message>
        <source>Plugins contained in this file:</source>
        <translation>Plugins in dieser Datei:</translation>
    </message>
    <message>
        <source>Supported Modes:</source>
        <translation>Unterstützte Modi:</translation>
    </message>
    <message>
        <source>Show About Box...</source>
        <translation>Info-Fenster zeigen...</translation>
    </message>
    <message>
        <source>16-bit Windows module: not supported</source>
        <translation>16-Bit-Windows-Modul: nicht unterstützt</translation>
    </message>
    <message>
        <source>Plug-in code is never run here.</source>
        <translation>Plugin-Code wird hier nie ausgeführt.</translation>
    </message>
    <message>
        <source>Premiere Transition Factory</source>
        <translation>Premiere Transition Factory</translation>
    </message>
    <message>
        <source>Premiere Filter Factory</source>
        <translation>Premiere Filter Factory</translation>
    </message>
    <message>
        <source>Photoshop Filter Factory</source>
        <translation>Photoshop Filter Factory</translation>
    </message>
    <message>
        <source>Filter Factory-compatible filter</source>
        <translation>Filter-Factory-kompatibler Filter</translation>
    </message>
    <message>
        <source>Bitmap</source>
        <translation>Bitmap</translation>
    </message>
    <message>
        <source>Grayscale</source>
        <translation>Graustufen</translation>
    </message>
    <message>
        <source>Indexed Color</source>
        <translation>Indizierte Farben</translation>
    </message>
    <message>
        <source>RGB Color</source>
        <translation>RGB-Farbe</translation>
    </message>
    <message>
        <source>CMYK Color</source>
        <translation>CMYK-Farbe</translation>
    </message>
    <message>
        <source>HSL Color</source>
        <translation>HSL-Farbe</translation>
    </message>
    <message>
        <source>HSB Color</source>
        <translation>HSB-Farbe</translation>
    </message>
    <message>
        <source>Multichannel</source>
        <translation>Mehrkanal</translation>
    </message>
    <message>
        <source>Duotone</source>
        <translation>Duplex</translation>
    </message>
    <message>
        <source>LAB Color</source>
        <translation>Lab-Farbe</translation>
    </message>
    <message>
        <source>16 Bit Gray</source>
        <translation>16-Bit-Graustufen</translation>
    </message>
    <message>
        <source>48 Bit Color</source>
        <translation>48-Bit-Farbe</translation>
    </message>
</context>
<context>
    <name>vardel::ui::PluginListModel</name>
    <message numerus="yes">
        <source>Name: up to %n characters</source>
        <translation>
            <numerusform>Name: bis zu %n Zeichen</numerusform>
            <numerusform>Name: bis zu %n Zeichen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 (name: up to %n characters)</source>
        <translation>
            <numerusform>%1 (Name: bis zu %n Zeichen)</numerusform>
            <numerusform>%1 (Name: bis zu %n Zeichen)</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>vardel::ui::PluginPreviewProp</name>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Fit the whole preview area</source>
        <translation>Die ganze Vorschaufläche füllen</translation>
    </message>
    <message>
        <source>Three quarters of the preview area</source>
        <translation>Drei Viertel der Vorschaufläche</translation>
    </message>
    <message>
        <source>Half of the preview area</source>
        <translation>Die Hälfte der Vorschaufläche</translation>
    </message>
    <message>
        <source>Transparency</source>
        <translation>Transparenz</translation>
    </message>
    <message>
        <source>Enabled</source>
        <translation>Aktiv</translation>
    </message>
    <message>
        <source>Preview Image</source>
        <translation>Vorschaubild</translation>
    </message>
    <message>
        <source>Load...</source>
        <translation>Laden...</translation>
    </message>
    <message>
        <source>Save as...</source>
        <translation>Speichern unter...</translation>
    </message>
    <message>
        <source>Copy to Clipboard</source>
        <translation>In die Zwischenablage kopieren</translation>
    </message>
    <message>
        <source>Paste from Clipboard</source>
        <translation>Aus der Zwischenablage einfügen</translation>
    </message>
    <message>
        <source>Slider Settings</source>
        <translation>Reglerstellungen</translation>
    </message>
    <message>
        <source>Randomize</source>
        <translation>Zufällig</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Zurücksetzen</translation>
    </message>
    <message>
        <source>Load Preview Image</source>
        <translation>Vorschaubild laden</translation>
    </message>
    <message>
        <source>Save Preview Image</source>
        <translation>Vorschaubild speichern</translation>
    </message>
    <message>
        <source>Error loading file
Only BMP and JPEG files are read; this is a %1 file.</source>
        <translation>Fehler beim Laden der Datei
Nur BMP- und JPEG-Dateien werden gelesen; dies ist eine %1-Datei.</translation>
    </message>
    <message>
        <source>Error loading file
%1 cannot be read as a BMP or JPEG file.</source>
        <translation>Fehler beim Laden der Datei
%1 lässt sich nicht als BMP- oder JPEG-Datei lesen.</translation>
    </message>
    <message>
        <source>Bitmap Files (*.bmp);;JPEG Files (*.jpg);;All Files (*)</source>
        <translation>Bitmap-Dateien (*.bmp);;JPEG-Dateien (*.jpg);;Alle Dateien (*)</translation>
    </message>
</context>
<context>
    <name>vardel::ui::PreviewBar</name>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>Preview image of the selected plug-in; double-click for the large preview</source>
        <translation>Vorschaubild des ausgewählten Plugins; Doppelklick für die große Vorschau</translation>
    </message>
    <message>
        <source>First preview image</source>
        <translation>Erstes Vorschaubild</translation>
    </message>
    <message>
        <source>Previous preview image</source>
        <translation>Voriges Vorschaubild</translation>
    </message>
    <message>
        <source>Next preview image</source>
        <translation>Nächstes Vorschaubild</translation>
    </message>
    <message>
        <source>Last preview image</source>
        <translation>Letztes Vorschaubild</translation>
    </message>
    <message>
        <source>Number of the image shown and number of images</source>
        <translation>Nummer des gezeigten Bildes und Anzahl der Bilder</translation>
    </message>
</context>
<context>
    <name>vardel::ui::RestoreMonitorDialog</name>
    <message>
        <source>Restore Cache Monitor</source>
        <translation>Monitor des Wiederherstellungsspeichers</translation>
    </message>
    <message>
        <source>The original names and categories of every filter seen so far</source>
        <translation>Die ursprünglichen Namen und Kategorien aller bisher gesehenen Filter</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>Loaded</source>
        <translation>Geladen</translation>
    </message>
    <message>
        <source>Category</source>
        <translation>Kategorie</translation>
    </message>
    <message>
        <source>C.Len</source>
        <translation>K.Länge</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>N.Len</source>
        <translation>N.Länge</translation>
    </message>
</context>
<context>
    <name>vardel::ui::SessionAdapter</name>
    <message>
        <source>Analysing...</source>
        <translation>Analysiere...</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
</context>
<context>
    <name>vardel::ui::SetupDialog</name>
    <message>
        <source>Alt+U</source>
        <translation>Alt+U</translation>
    </message>
    <message>
        <source>Alt+D</source>
        <translation>Alt+D</translation>
    </message>
    <message>
        <source>&amp;Edit...</source>
        <translation>&amp;Bearbeiten...</translation>
    </message>
    <message>
        <source>&amp;Add...</source>
        <translation>&amp;Hinzufügen...</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Entfernen</translation>
    </message>
    <message>
        <source>Looking for plug-in folders...</source>
        <translation>Plugin-Ordner werden gesucht...</translation>
    </message>
    <message>
        <source>%1 (on the list)</source>
        <translation>%1 (in der Liste)</translation>
    </message>
    <message>
        <source>No plug-in folders of hosts were found in the Wine prefixes.</source>
        <translation>In den Wine-Präfixen wurden keine Plugin-Ordner von Programmen gefunden.</translation>
    </message>
    <message numerus="yes">
        <source>%n folder(s) found.</source>
        <translation>
            <numerusform>%n Ordner gefunden.</numerusform>
            <numerusform>%n Ordner gefunden.</numerusform>
        </translation>
    </message>
    <message>
        <source>The search took too long and was cut short.</source>
        <translation>Die Suche dauerte zu lange und wurde abgebrochen.</translation>
    </message>
    <message>
        <source>The system&apos;s language</source>
        <translation>Sprache des Systems</translation>
    </message>
</context>
<context>
    <name>vardel::ui::StatusPanes</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Stop the scan (Esc); the catalogue stays as it was</source>
        <translation>Suche abbrechen (Esc); der Katalog bleibt unverändert</translation>
    </message>
    <message>
        <source>Categories: %1</source>
        <translation>Kategorien: %1</translation>
    </message>
    <message>
        <source>Plugins: %1</source>
        <translation>Plugins: %1</translation>
    </message>
    <message>
        <source>Enabled: %1</source>
        <translation>Aktiv: %1</translation>
    </message>
    <message>
        <source>Selected: %1</source>
        <translation>Ausgewählt: %1</translation>
    </message>
    <message>
        <source>Looking for plug-in files...</source>
        <translation>Suche Plugin-Dateien...</translation>
    </message>
    <message>
        <source>Looking for plug-in files: %1</source>
        <translation>Suche Plugin-Dateien: %1</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
    <message>
        <source>Reading %1 of %2: %3</source>
        <translation>Lese %1 von %2: %3</translation>
    </message>
</context>
<context>
    <name>vardel::ui::TipDialog</name>
    <message>
        <source>Tip of the day</source>
        <translation>Tipp des Tages</translation>
    </message>
    <message>
        <source>&lt;b&gt;Did you know...&lt;/b&gt;</source>
        <translation>&lt;b&gt;Wussten Sie schon...&lt;/b&gt;</translation>
    </message>
    <message>
        <source>&amp;Next Tip</source>
        <translation>&amp;Nächster Tipp</translation>
    </message>
    <message>
        <source>Show the next tip</source>
        <translation>Den nächsten Tipp zeigen</translation>
    </message>
    <message>
        <source>Vardel reads the descriptions inside plug-in files without running any plug-in code, so even a plug-in that crashes its host can be catalogued safely.</source>
        <translation>Vardel liest die Beschreibungen in Plugin-Dateien, ohne Plugin-Code auszuführen; so lässt sich sogar ein Plugin sicher katalogisieren, das sein Programm abstürzen lässt.</translation>
    </message>
    <message>
        <source>Use File &gt; Setup... to list the directories that hold your plug-ins. Each one becomes an item of the Plugin &gt; Directory menu; a separator entry puts a line between groups.</source>
        <translation>Mit Datei &gt; Einstellungen... tragen Sie die Verzeichnisse mit Ihren Plugins ein. Jedes wird ein Eintrag des Menüs Plugin &gt; Verzeichnis; ein Trennlinien-Eintrag setzt eine Linie zwischen Gruppen.</translation>
    </message>
    <message>
        <source>Disabling a plug-in renames its file so that it has no extension: the host no longer loads it. Enabling it gives the extension back.</source>
        <translation>Beim Deaktivieren verliert die Datei eines Plugins ihre Endung: das Programm lädt es nicht mehr. Beim Aktivieren erhält sie die Endung zurück.</translation>
    </message>
    <message>
        <source>A plug-in&apos;s name can only be as long as the text its file held when Vardel first saw it. The original name and category are shown on the General page of Plugin Properties.</source>
        <translation>Der Name eines Plugins kann nur so lang sein wie der Text, den seine Datei beim ersten Einlesen enthielt. Ursprünglicher Name und Kategorie stehen auf der Seite Allgemein der Plugin-Eigenschaften.</translation>
    </message>
    <message>
        <source>Paste a screenshot from the clipboard or capture a window on the Preview page of Plugin Properties to keep preview images of what a filter does.</source>
        <translation>Fügen Sie auf der Vorschau-Seite der Plugin-Eigenschaften ein Bildschirmfoto aus der Zwischenablage ein oder nehmen Sie ein Fenster auf, um Vorschaubilder der Wirkung eines Filters zu behalten.</translation>
    </message>
    <message>
        <source>Double-click the picture in the preview bar to see it in the large preview.</source>
        <translation>Doppelklicken Sie auf das Bild der Vorschauleiste, um es in der großen Vorschau zu sehen.</translation>
    </message>
    <message>
        <source>Find Plugins (Ctrl+F) searches names, categories, authors, keywords, descriptions and file names.</source>
        <translation>Plugins suchen (Strg+F) durchsucht Namen, Kategorien, Autoren, Stichwörter, Beschreibungen und Dateinamen.</translation>
    </message>
    <message>
        <source>Add your image editors to the launch bar: click an empty button to configure it, right-click a button to edit or delete it. You can drop a program file on the dialog to fill it in.</source>
        <translation>Legen Sie Ihre Bildprogramme in die Startleiste: ein Klick auf eine leere Schaltfläche richtet sie ein, ein Rechtsklick bearbeitet oder löscht sie. Eine auf den Dialog gezogene Programmdatei füllt ihn aus.</translation>
    </message>
    <message>
        <source>For Filter Factory filters Vardel shows the four channel formulas and renders a live preview with the eight sliders on a sample image.</source>
        <translation>Bei Filter-Factory-Filtern zeigt Vardel die vier Kanalformeln und berechnet eine Live-Vorschau mit den acht Reglern auf einem Beispielbild.</translation>
    </message>
    <message>
        <source>Re-Scan all reads every plug-in file of the current directory again, for example after you installed new plug-ins.</source>
        <translation>Alles neu einlesen liest jede Plugin-Datei des aktuellen Verzeichnisses erneut, etwa nachdem Sie neue Plugins installiert haben.</translation>
    </message>
</context>
<context>
    <name>vardel::ui::TroublemakerDialog</name>
    <message>
        <source>Find Troublemaker</source>
        <translation>Störenfried finden</translation>
    </message>
    <message>
        <source>&amp;Start</source>
        <translation>&amp;Starten</translation>
    </message>
    <message>
        <source>Still &amp;Broken</source>
        <translation>Immer noch &amp;gestört</translation>
    </message>
    <message>
        <source>&amp;Works Now</source>
        <translation>&amp;Funktioniert jetzt</translation>
    </message>
    <message>
        <source>&amp;Abandon</source>
        <translation>A&amp;bbrechen</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>S&amp;chließen</translation>
    </message>
    <message numerus="yes">
        <source>Finds the plug-in file that stops a host from working: each step disables half of the suspects, you start the host and say whether it is still broken. %n enabled plug-in file(s) take part.</source>
        <translation>
            <numerusform>Findet die Plug-in-Datei, die ein Host-Programm stört: Jeder Schritt deaktiviert die Hälfte der Verdächtigen, Sie starten das Host-Programm und sagen, ob es noch gestört ist. %n aktivierte Plug-in-Datei nimmt teil.</numerusform>
            <numerusform>Findet die Plug-in-Datei, die ein Host-Programm stört: Jeder Schritt deaktiviert die Hälfte der Verdächtigen, Sie starten das Host-Programm und sagen, ob es noch gestört ist. %n aktivierte Plug-in-Dateien nehmen teil.</numerusform>
        </translation>
    </message>
    <message>
        <source>Close the host before you start.</source>
        <translation>Schließen Sie das Host-Programm, bevor Sie beginnen.</translation>
    </message>
    <message>
        <source>The troublemaker is %1. Every plug-in file has its name from before the search back; disable it yourself if you want it gone.</source>
        <translation>Der Störenfried ist %1. Jede Plug-in-Datei hat wieder ihren Namen von vor der Suche; deaktivieren Sie ihn selbst, wenn er nicht mehr geladen werden soll.</translation>
    </message>
    <message numerus="yes">
        <source>Found after %n answer(s).</source>
        <translation>
            <numerusform>Gefunden nach %n Antwort.</numerusform>
            <numerusform>Gefunden nach %n Antworten.</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 of %2 plug-in files are disabled now. Start the host and say whether it is still broken.</source>
        <translation>%1 von %2 Plug-in-Dateien sind jetzt deaktiviert. Starten Sie das Host-Programm und sagen Sie, ob es noch gestört ist.</translation>
    </message>
    <message numerus="yes">
        <source>At most %n step(s) remain.</source>
        <translation>
            <numerusform>Höchstens noch %n Schritt.</numerusform>
            <numerusform>Höchstens noch %n Schritte.</numerusform>
        </translation>
    </message>
    <message>
        <source>Renaming plug-in files...</source>
        <translation>Plug-in-Dateien werden umbenannt...</translation>
    </message>
    <message>
        <source>&amp;Finish</source>
        <translation>&amp;Beenden</translation>
    </message>
</context>
<context>
    <name>vardel::ui::UserMessages</name>
    <message>
        <source>File read only?</source>
        <translation>Datei schreibgeschützt?</translation>
    </message>
    <message>
        <source>The plug-in file changed on disk since it was scanned; nothing was written. Please re-scan the directory.</source>
        <translation>Die Plugin-Datei hat sich seit dem Einlesen geändert; es wurde nichts geschrieben. Bitte lesen Sie das Verzeichnis neu ein.</translation>
    </message>
    <message>
        <source>The text does not fit into the space it has in the plug-in file.</source>
        <translation>Der Text passt nicht in den Platz, den er in der Plugin-Datei hat.</translation>
    </message>
    <message>
        <source>%1 was not found.</source>
        <translation>%1 wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>%1 contains an invalid path.</source>
        <translation>%1 enthält einen ungültigen Pfad.</translation>
    </message>
    <message>
        <source>%1 could not be opened because there are too many open files.</source>
        <translation>%1 konnte nicht geöffnet werden, weil zu viele Dateien geöffnet sind.</translation>
    </message>
    <message>
        <source>Access to %1 was denied.</source>
        <translation>Der Zugriff auf %1 wurde verweigert.</translation>
    </message>
    <message>
        <source>A sharing violation occurred while accessing %1.</source>
        <translation>Beim Zugriff auf %1 trat eine Freigabeverletzung auf.</translation>
    </message>
    <message>
        <source>A locking violation occurred while accessing %1.</source>
        <translation>Beim Zugriff auf %1 trat eine Sperrverletzung auf.</translation>
    </message>
    <message>
        <source>An unknown error occurred while accessing %1.</source>
        <translation>Beim Zugriff auf %1 trat ein unbekannter Fehler auf.</translation>
    </message>
    <message>
        <source>Unexpected error: preview image write protected?</source>
        <translation>Unerwarteter Fehler: Vorschaubild schreibgeschützt?</translation>
    </message>
    <message>
        <source>Vardel cannot save into its data directory %1; changes may be lost.</source>
        <translation>Vardel kann nicht in sein Datenverzeichnis %1 speichern; Änderungen können verloren gehen.</translation>
    </message>
    <message>
        <source>A store could be read only in part; its damaged original was kept as %1.</source>
        <translation>Ein Datenspeicher konnte nur teilweise gelesen werden; das beschädigte Original wurde als %1 aufbewahrt.</translation>
    </message>
    <message>
        <source>The store %1 cannot be read; it is left as it is, and changes to it are not saved.</source>
        <translation>Der Speicher %1 kann nicht gelesen werden; er bleibt, wie er ist, und Änderungen an ihm werden nicht gespeichert.</translation>
    </message>
    <message>
        <source>Another Vardel program is changing the data directory %1; nothing can be changed there until it ends.</source>
        <translation>Ein anderes Vardel-Programm ändert das Datenverzeichnis %1; dort lässt sich nichts ändern, bis es endet.</translation>
    </message>
    <message>
        <source>The data directory %1 cannot be locked for writing; nothing can be changed there.</source>
        <translation>Das Datenverzeichnis %1 kann nicht zum Schreiben gesperrt werden; dort lässt sich nichts ändern.</translation>
    </message>
    <message>
        <source>The settings file %1 is not a regular file; it is neither read nor written, and the settings of this run are not kept.</source>
        <translation>Die Einstellungsdatei %1 ist keine gewöhnliche Datei; sie wird weder gelesen noch geschrieben, und die Einstellungen dieses Laufs bleiben nicht erhalten.</translation>
    </message>
    <message>
        <source>The catalogue file %1 lies outside setup.db or names another store, and is neither read nor written. The directory can be given a new catalogue file.</source>
        <translation>Die Katalogdatei %1 liegt außerhalb von setup.db oder bezeichnet einen anderen Speicher und wird weder gelesen noch geschrieben. Das Verzeichnis kann eine neue Katalogdatei bekommen.</translation>
    </message>
    <message>
        <source>Nothing to undo.</source>
        <translation>Nichts rückgängig zu machen.</translation>
    </message>
    <message>
        <source>Nothing to redo.</source>
        <translation>Nichts zu wiederholen.</translation>
    </message>
    <message>
        <source>Command %1 is not in the history, or was not cut short.</source>
        <translation>Befehl %1 steht nicht im Verlauf oder wurde nicht unterbrochen.</translation>
    </message>
    <message>
        <source>%1 was changed by another program since; it is left as it is and nothing was changed.</source>
        <translation>%1 wurde seither von einem anderen Programm geändert; die Datei bleibt, wie sie ist, und nichts wurde geändert.</translation>
    </message>
    <message>
        <source>%1 is gone; nothing was changed.</source>
        <translation>%1 ist nicht mehr da; nichts wurde geändert.</translation>
    </message>
    <message>
        <source>%1 exists already; no file is renamed over it. Nothing was changed.</source>
        <translation>%1 gibt es schon; keine Datei wird darüber umbenannt. Nichts wurde geändert.</translation>
    </message>
    <message>
        <source>%1 could not be changed (read-only?); nothing was changed.</source>
        <translation>%1 konnte nicht geändert werden (schreibgeschützt?); nichts wurde geändert.</translation>
    </message>
    <message>
        <source>%1 could not be changed; the command was left cut short. Undo or redo it again once the file can be written.</source>
        <translation>%1 konnte nicht geändert werden; der Befehl bleibt unterbrochen. Machen Sie ihn rückgängig oder wiederholen Sie ihn, sobald die Datei beschreibbar ist.</translation>
    </message>
    <message>
        <source>The journal %1 cannot be saved; nothing was changed.</source>
        <translation>Das Journal %1 kann nicht gespeichert werden; nichts wurde geändert.</translation>
    </message>
    <message>
        <source>This program may not change the data directory now.</source>
        <translation>Dieses Programm darf das Datenverzeichnis jetzt nicht ändern.</translation>
    </message>
    <message>
        <source>The journal %1 cannot be read; nothing can be undone or redone.</source>
        <translation>Das Journal %1 kann nicht gelesen werden; nichts kann rückgängig gemacht oder wiederholt werden.</translation>
    </message>
    <message>
        <source>The catalogue of directory %1 could not be saved.</source>
        <translation>Der Katalog des Verzeichnisses %1 konnte nicht gespeichert werden.</translation>
    </message>
    <message>
        <source>The catalogue on show could not be saved.</source>
        <translation>Der angezeigte Katalog konnte nicht gespeichert werden.</translation>
    </message>
    <message>
        <source>At least 3 characters are needed.</source>
        <translation>Es sind mindestens 3 Zeichen nötig.</translation>
    </message>
    <message>
        <source>At most %1 characters are allowed.</source>
        <translation>Höchstens %1 Zeichen sind erlaubt.</translation>
    </message>
    <message>
        <source>Not available: a plug-in is read-only, or has no category of its own or no space for one.</source>
        <translation>Nicht verfügbar: ein Plugin ist schreibgeschützt, hat keine eigene Kategorie oder keinen Platz dafür.</translation>
    </message>
    <message>
        <source>No plug-in to change.</source>
        <translation>Kein Plugin zu ändern.</translation>
    </message>
    <message>
        <source>Nothing was written: %1 does not lie in the plug-in directory %2.</source>
        <translation>Nichts wurde geschrieben: %1 liegt nicht im Plugin-Verzeichnis %2.</translation>
    </message>
    <message>
        <source>No plug-in directory is on show.</source>
        <translation>Es wird kein Plugin-Verzeichnis angezeigt.</translation>
    </message>
    <message>
        <source>Nothing was written: the change could not be recorded in the journal (another change is being made).</source>
        <translation>Nichts wurde geschrieben: Die Änderung konnte nicht im Journal festgehalten werden (eine andere Änderung läuft gerade).</translation>
    </message>
    <message>
        <source>Nothing was written: the change could not be recorded in the journal (this program may not write).</source>
        <translation>Nichts wurde geschrieben: Die Änderung konnte nicht im Journal festgehalten werden (dieses Programm darf nicht schreiben).</translation>
    </message>
    <message>
        <source>Nothing was written: the change could not be recorded in the journal (the journal cannot be read: %1).</source>
        <translation>Nichts wurde geschrieben: Die Änderung konnte nicht im Journal festgehalten werden (das Journal kann nicht gelesen werden: %1).</translation>
    </message>
    <message>
        <source>Nothing was written: the change could not be recorded in the journal (it cannot be saved: %1).</source>
        <translation>Nichts wurde geschrieben: Die Änderung konnte nicht im Journal festgehalten werden (es kann nicht gespeichert werden: %1).</translation>
    </message>
    <message>
        <source>No plug-in directory %1 in the directory list.</source>
        <translation>Kein Plugin-Verzeichnis %1 in der Verzeichnisliste.</translation>
    </message>
    <message>
        <source>The catalogue file of directory %1 cannot be used.</source>
        <translation>Die Katalogdatei des Verzeichnisses %1 kann nicht verwendet werden.</translation>
    </message>
    <message>
        <source>Cannot read the catalogue of directory %1: %2</source>
        <translation>Der Katalog des Verzeichnisses %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>%2 is not in the catalogue of directory %1.</source>
        <translation>%2 ist nicht im Katalog des Verzeichnisses %1.</translation>
    </message>
    <message>
        <source>%1 is gone; select the directory to bring its catalogue up to date.</source>
        <translation>%1 ist nicht mehr da; wählen Sie das Verzeichnis, um seinen Katalog auf den neuesten Stand zu bringen.</translation>
    </message>
    <message>
        <source>Nothing was renamed: %1 cannot get its enabled name (is that name taken?).</source>
        <translation>Nichts wurde umbenannt: %1 kann seinen aktivierten Namen nicht bekommen (ist der Name schon vergeben?).</translation>
    </message>
    <message>
        <source>Nothing was renamed: %1 cannot get its disabled name (is that name taken?).</source>
        <translation>Nichts wurde umbenannt: %1 kann seinen deaktivierten Namen nicht bekommen (ist der Name schon vergeben?).</translation>
    </message>
    <message>
        <source>The files were renamed, but the catalogue of directory %1 could not be saved.</source>
        <translation>Die Dateien wurden umbenannt, aber der Katalog des Verzeichnisses %1 konnte nicht gespeichert werden.</translation>
    </message>
</context>
</TS>
