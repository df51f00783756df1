// The key -> text table: every word the user sees (German) and the program's config values.
//
// The entries are constant data; the map is built from them once (a function-local static, so the
// build is thread-safe) and never changed afterwards. Text() of a missing key returns a reference
// to one static empty string and never inserts, so any number of threads may read concurrently.
//
// Texts are complete fragments without placeholders: callers join them with " ", ": ", "\r\n" or
// "\r\n\r\n" and values. They hold no tab, CR or LF and no leading or trailing blank.
//
// Keys TXT00900 to TXT00999 belong to the command-line front end and stand in their own list.

#include "texts/text_table.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace kalvento {
namespace {

struct Entry {
  std::string_view key;
  std::string_view value;
};

// ---------------------------------------------------------------------------------------------
// Config values. Folder sub-paths end with "/"; addresses are https.
// ---------------------------------------------------------------------------------------------
constexpr Entry kConfigValues[] = {
    // Window title, lock names, desktop-entry file name.
    {"Program_Name", "Kalvento"},
    // Second blank-separated field = version number shown and sent to the update server.
    {"Version_Name", "Kalvento 0.1.0"},
    // Compared as text with the update server's build (fixed width keeps that order numeric).
    {"Build_Nummer", "00001"},
    {"Copyright_Text", "© 2026 Das Kalvento-Team"},
    // On Linux the registry sub-key is a small file in the data folder holding "InstallDir=".
    {"Registry_Subkey", "install.conf"},
    // Under $XDG_CONFIG_HOME (default ~/.config/).
    {"AppData_Subdir", "Kalvento/"},
    // Under $TMPDIR or /tmp.
    {"Temp_Subdir", "Kalvento/"},
    // Settings file in the data folder.
    {"Settings_File", "Kalvento.ini"},
    // Options file of the rename options.
    {"Ini_File", "KalventoOptions.ini"},
    // The helper tools: ExifTool is copied into the temp folder, the others run where they are.
    // A name without "/" is looked for next to the program first, then in PATH.
    {"Tool_ExifTool", "/usr/bin/exiftool"},
    {"Tool_PdfInfo", "/usr/bin/pdfinfo"},
    {"Tool_MsgText", "kalvento-msgtext"},
    {"Tool_MediaInfo", "libmediainfo.so.0"},
    // Help file, relative to the program folder.
    {"Offline_Hilfe", "docs/Kalvento-Hilfe.html"},
    // Update check: request = Version_Check + "?VERSION" + encoded query.
    {"Version_Check", "https://kalvento.example/update/check"},
    // Key of the update query cipher.
    {"Program_Short", "KLVT"},
    {"Online_Update", "https://kalvento.example/update/Update.zip"},
    {"Online_Adresse", "https://kalvento.example/"},
    {"Online_MoreTools", "https://kalvento.example/tools/"},
};

// ---------------------------------------------------------------------------------------------
// Texts (German).
// Conventions: date kinds are quoted as in the source names ('Erstellt',
// 'Geändert'); "…" marks a menu entry that opens a dialog or a step that is under way; "&" only
// in menu texts (mnemonic) and in TXT00061 (shown literally).
// ---------------------------------------------------------------------------------------------
constexpr Entry kTexts[] = {
    // --- Menus ---------------------------------------------------------------------
    {"MEN00001", "&Datei"},
    {"MEN00040", "Ergebnisliste &exportieren…"},
    {"MEN00002", "&Beenden"},
    {"MEN00003", "&Extras"},
    {"MEN00013", "&Desktop-Verknüpfung anlegen"},
    {"MEN00011", "Netzlaufwerk &verbinden…"},
    {"MEN00012", "Netzlaufwerk &trennen…"},
    {"MEN00141", "&Protokoll bei Korrektur schreiben"},
    {"MEN00142", "Protokoll&ordner öffnen"},
    {"MEN00143", "&Letztes Protokoll öffnen"},
    {"MEN00006", "&Hilfe"},
    {"MEN00007", "&Hilfe öffnen"},
    {"MEN00008", "&Website öffnen"},
    {"MEN00009", "Weitere &Programme"},
    {"MEN00034", "Digitale &Signatur"},
    {"MEN00035", "Nach &Updates suchen"},
    {"MEN00010", "Ü&ber das Programm"},
    // Result-list pop-up menu.
    {"MEN00095", "Zeile &entfernen"},
    {"MEN00096", "&Ordner öffnen"},
    {"MEN00097", "&Datei öffnen"},
    {"MEN00098", "Ei&genschaften"},
    {"MEN00140", "Ergebnisliste e&xportieren…"},
    // Right-aligned, greyed label in the menu bar ("&" is doubled there and shows as itself).
    {"TXT00061", "Dateidatum aus Inhalt & Name"},

    // --- Folder tab -----------------------------------------------------------------
    {"GAD00001a", "Ordner"},
    {"GAD00001", "Ordnerauswahl"},
    {"GAD00017", "Ordner für die Analyse auswählen:"},
    {"GAD00168", "Aktualisieren"},
    {"GAD00169", "Ordnerbaum neu einlesen"},
    // Button caption and title of the path dialog; tool tip and prompt of the path dialog.
    {"GAD00093", "Pfad"},
    {"GAD00094", "Vollständigen Pfad eines Ordners eingeben, z. B. /home/anna/Bilder"},
    {"GAD00074", "Netzlaufwerk verbinden"},
    {"GAD00075", "Netzlaufwerk trennen"},
    {"GAD00014", "Unterordner einbeziehen"},
    {"GAD00015",
     "Auch die Dateien aller Unterordner analysieren, bis zur eingestellten Ordnertiefe"},
    {"GAD00076",
     "Ordnertiefe: bis zu welcher Ebene Unterordner durchsucht werden (all = ohne Grenze)"},
    {"GAD00033", "Ordnertiefe ab / gezählt, z. B. /home/anna/ = 3 (all = ohne Grenze)"},

    // --- Sources tab ----------------------------------------------------------------
    {"GAD00023", "Datumsquellen"},
    {"GAD00300", "Datum 'Erstellt' korrigieren"},
    {"GAD00301", "Datum 'Geändert' korrigieren"},
    {"GAD00350",
     "Reihenfolge per Ziehen ändern, Quellen per Häkchen wählen. Es gilt die erste Quelle, die "
     "ein Datum liefert."},
    {"GAD00351", "Reihenfolge und Auswahl der Quellen auf den Standard zurücksetzen"},
    // Followed by " ♦³".
    {"GAD00353", "Datum 'Erstellt' zeitlich verschieben"},
    {"GAD00354", "Datum 'Geändert' zeitlich verschieben"},
    {"GAD00365", "Ordnerdatum 'Erstellt' nach dem Inhalt setzen"},
    {"GAD00366", "Ordnerdatum 'Geändert' nach dem Inhalt setzen"},

    // --- Patterns tab ---------------------------------------------------------------
    // Caption: two blanks + text + " ♦¹²³  ".
    {"GAD00023a", "Optionen"},
    {"GAD00302", "Datum 'Erstellt'"},
    {"GAD00303", "Datum 'Geändert'"},
    // Preceded by "♦¹ ".
    {"GAD00355", "Muster für das Datum im Dateinamen:"},
    {"GAD00357", "z. B. YYYYMMDD"},
    {"GAD00358", "Großbuchstaben für das Datum, Kleinbuchstaben für die Uhrzeit"},
    {"GAD00360", "Platzhalter für das Datum einfügen"},
    {"GAD00361", "Platzhalter für die Uhrzeit einfügen"},
    {"GAD00362", "Beispielmuster übernehmen"},
    // Preceded by "♦² ".
    {"GAD00356", "Festes Datum und feste Uhrzeit:"},
    {"GAD00304", "Jetzt"},
    // Preceded by "♦³ ".
    {"GAD00308", "Verschiebung (Stunden, Minuten, Sekunden):"},

    // --- Controls below the tabs ----------------------------------------------------
    {"GAD00090", "Analysieren"},
    {"GAD00091", "Korrigieren"},
    {"GAD00089", "Abbrechen mit der Esc-Taste"},
    {"GAD00002a", "Erst analysieren, dann korrigieren:"},
    {"GAD00047", "Dateien"},
    // Label and title of the search messages.
    {"GAD00220", "Suche"},
    // Line counter: text + " " + line number + " / " + line count.
    {"GAD00221", "Zeile"},
    {"GAD00222", "Ab der ersten Zeile suchen"},
    {"GAD00223", "Ab der nächsten Zeile weitersuchen"},
    {"GAD00224", "Der Suchbegriff kommt in der Liste nicht vor."},
    {"GAD00225", "Der Suchbegriff kommt nach der gewählten Zeile nicht mehr vor."},

    // --- Result list: column titles -------------------------------------------------
    {"GAD00066", "Dateiname"},
    {"GAD00310", "Erstellt"},
    {"GAD00311", "Geändert"},
    {"GAD00312", "Erstellt (neu)"},
    {"GAD00313", "Geändert (neu)"},
    {"GAD00314", "Quelle für 'Erstellt'"},
    {"GAD00315", "Quelle für 'Geändert'"},

    // --- Result list: proposal cells (; must not start with a digit) -------------------
    {"GAD00320", "unverändert"},
    {"GAD00321", "kein Datum gefunden"},

    // --- Result list: info texts of the sources (, 3.1, 3.3-3.6) ----------------------
    {"GAD00322", "aktuelles Datum 'Erstellt'"},
    {"GAD00323", "aktuelles Datum 'Geändert'"},
    {"GAD00324", "feste Angabe von Datum und Zeit"},
    {"GAD00325", "Datum aus dem Dateinamen"},
    {"GAD00400", "Dokument 'Datum erstellt'"},
    {"GAD00401", "Dokument 'Datum geändert'"},
    {"GAD00402", "PNG 'Datum erstellt'"},
    {"GAD00403", "PNG 'Datum geändert'"},
    {"GAD00404", "EXIF 'Datum aufgenommen'"},
    {"GAD00405", "EXIF 'Datum geändert'"},
    {"GAD00406", "IPTC/XMP 'Datum erstellt'"},
    {"GAD00407", "XMP 'Datum geändert'"},
    {"GAD00408", "Audio/Video 'Datum aufgezeichnet'"},
    {"GAD00409", "HEIC/HEIF 'Datum aufgenommen'"},

    // --- Analysis run ---------------------------------------------------------------
    // The entered or current path is not an absolute local folder.
    {"TXT00045",
     "Der Pfad ist kein lokaler Ordner. Bitte geben Sie einen absoluten Pfad ein, der mit / "
     "beginnt. Netzwerkadressen wie smb://… und relative Pfade werden nicht unterstützt; ein "
     "eingehängtes Netzlaufwerk öffnen Sie über seinen Ordner im Dateisystem."},
    // Followed by " " and the raised depth.
    {"TXT00085",
     "Der gewählte Ordner liegt tiefer als die eingestellte Ordnertiefe. Die Ordnertiefe wurde "
     "erhöht auf"},
    // Line appended to the list of a stopped run.
    {"TXT00083", "Analyse abgebrochen – die Liste ist unvollständig."},
    // Status bar, after two blanks.
    {"GAD00333", "Zurzeit gilt die Sommerzeit."},
    {"GAD00334", "Zurzeit gilt die Normalzeit (keine Sommerzeit)."},

    // --- Stop request in runs and exports ------------------------------------------------------
    {"TXT00081", "Vorgang abbrechen"},
    {"TXT00082", "Soll der laufende Vorgang abgebrochen werden?"},

    // --- Correction run and its log -------------------------------------------------
    // Row texts after "<- " (written) and "!! " (not written).
    {"GAD00316", "Datum geschrieben"},
    {"GAD00317", "Datei ist schreibgeschützt, Datum konnte nicht geschrieben werden"},
    {"GAD00318", "Datum konnte nicht geschrieben werden"},
    {"GAD00341", "Korrektur abgeschlossen"},
    {"GAD00343", "Datum der Ordner wird gesetzt…"},
    {"TXT00088",
     "Soll die Korrektur abgebrochen werden? Die bis jetzt geschriebenen Datumsangaben bleiben "
     "erhalten, das Datum der Ordner wird nicht gesetzt."},
    // Log: folder line (followed by " " and the folder), stop line, column heading.
    {"GAD00252", "Ordner:"},
    {"TXT00400", "Die Korrektur wurde vom Benutzer abgebrochen."},
    {"TXT00401", "Erstellt (alt)"},
    {"TXT00402", "Erstellt (neu)"},
    {"TXT00403", "Geändert (alt)"},
    {"TXT00404", "Geändert (neu)"},
    {"TXT00405", "Datei"},

    // --- Exports (, 5.1-5.3) ----------------------------------------------------------
    {"TXT00120", "Ergebnisliste exportieren"},
    // File-type names; the dialog appends " (*.pdf)" and so on.
    {"TXT00130", "PDF-Bericht"},
    {"TXT00121", "Text, durch Tabulatoren getrennt"},
    {"TXT00122", "Text, durch Semikolons getrennt"},
    {"TXT00131", "XML-Tabelle für Tabellenkalkulationen"},
    // Replace question: title; text + blank line + file name.
    {"TXT00090", "Datei ersetzen"},
    {"TXT00091", "Eine Datei mit diesem Namen ist bereits vorhanden. Soll sie ersetzt werden?"},
    // Subject of the PDF report.
    {"GAD00002", "Ergebnisliste der Datumsanalyse"},

    // --- Messages of the window ------------------------------------------
    {"TXT00013", "Hinweis"},
    {"TXT00001", "Start nicht möglich"},
    {"TXT00002",
     "Die Größe des Bildschirms konnte nicht ermittelt werden. Das Programm wird beendet."},
    {"TXT00104", "Die Verknüpfung zum Programm wurde auf dem Desktop angelegt."},
    {"TXT00150", "Zu dieser Zeile gehört kein Ordner."},
    {"TXT00151", "Zu dieser Zeile gehört keine Datei."},
    {"TXT00152", "Der Ordner oder die Datei ist nicht mehr vorhanden."},
    {"TXT00153",
     "Diese Zeile kann nicht entfernt werden. Nur Zeilen mit Dateien lassen sich entfernen."},

    // --- Digital signature: 173 + " " + 174 + " " + 175 + blank line + 176 ----------
    {"TXT00172", "Digitale Signatur"},
    {"TXT00173",
     "Veröffentlichte Programmdateien von Kalvento tragen eine digitale Signatur des "
     "Herausgebers."},
    {"TXT00174", "Die Signatur belegt, woher eine Datei stammt."},
    {"TXT00175", "Wurde die Datei nachträglich verändert, ist die Signatur nicht mehr gültig."},
    {"TXT00176", "Als Nächstes werden die Eigenschaften der Programmdatei angezeigt."},
    // Name of the file-properties page with the signatures.
    {"Digital_Sinatures", "Digitale Signaturen"},

    // --- Update check ---------------------------------------------------------------
    // Offer: 020 + blank line + 021 + ": " + own version + CR LF + 022 + ": " + offered version
    // + blank line + 023.
    {"TXT00020", "Eine neuere Version des Programms ist verfügbar."},
    {"TXT00021", "Installierte Version"},
    {"TXT00022", "Verfügbare Version"},
    {"TXT00023",
     "Soll die neue Version jetzt heruntergeladen werden? Sie wird nach dem Beenden des Programms "
     "installiert."},
    {"TXT00024",
     "Das Update konnte nicht heruntergeladen oder entpackt werden. Bitte versuchen Sie es später "
     "noch einmal."},
    {"TXT00025", "Sie verwenden bereits die neueste Version."},
    {"TXT00026", "Die installierte Version ist neuer als die Version auf dem Update-Server."},
    {"TXT00027",
     "Der Update-Server ist nicht erreichbar. Bitte prüfen Sie die Internetverbindung und "
     "versuchen Sie es später noch einmal."},

    // --- Crash report ---------------------------------------------------------------
    // 320 + blank line + 321 + blank line + 322 + CR LF + contact line + blank line + 323 + CR LF
    // + error details; then the report + 324 in a Yes/No box titled 325.
    {"TXT00320", "Im Programm ist ein unerwarteter Fehler aufgetreten. Das Programm wird beendet."},
    {"TXT00321",
     "Geänderte Einstellungen werden nicht gespeichert. Bereits geschriebene Datumsangaben "
     "bleiben erhalten."},
    {"TXT00322", "Bitte helfen Sie, den Fehler zu beheben, und senden Sie diesen Bericht an:"},
    {"TXT00323", "Angaben zum Fehler:"},
    {"TXT00324", "Soll der Bericht in die Zwischenablage kopiert werden?"},
    {"TXT00325", "Unerwarteter Fehler"},
};

// ---------------------------------------------------------------------------------------------
// Compile-time checks of the keys: well-formed, unique across both arrays, reserved range empty.
// ---------------------------------------------------------------------------------------------
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Prefix GAD, MEN or TXT + five digits + optionally one of a, b, c, d.
constexpr bool IsTextKey(std::string_view key) {
  if (key.size() != 8 && key.size() != 9) return false;
  const std::string_view prefix = key.substr(0, 3);
  if (prefix != "GAD" && prefix != "MEN" && prefix != "TXT") return false;
  for (std::size_t i = 3; i < 8; ++i) {
    if (!IsDigit(key[i])) return false;
  }
  return key.size() == 8 || (key[8] >= 'a' && key[8] <= 'd');
}

// TXT00900 to TXT00999 (with or without suffix) belong to the command-line front end.
constexpr bool IsReservedForCli(std::string_view key) {
  return IsTextKey(key) && key.substr(0, 6) == "TXT009";
}

constexpr bool IsDescriptiveKey(std::string_view key) {
  if (key.empty()) return false;
  for (char c : key) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    if (!ok) return false;
  }
  return key.find('_') != std::string_view::npos;
}

template <std::size_t N>
constexpr bool AllKeys(const Entry (&entries)[N], bool (*pred)(std::string_view)) {
  for (const Entry& e : entries) {
    if (!pred(e.key)) return false;
  }
  return true;
}

template <std::size_t N>
constexpr bool NoReservedKey(const Entry (&entries)[N]) {
  for (const Entry& e : entries) {
    if (IsReservedForCli(e.key)) return false;
  }
  return true;
}

constexpr bool TextOrDescriptiveKey(std::string_view key) {
  return IsTextKey(key) || IsDescriptiveKey(key);
}

// ---------------------------------------------------------------------------------------------
// The command-line front end (TXT00900 to TXT00999). The help text is the one text with line
// breaks; the others are one line each.
// ---------------------------------------------------------------------------------------------
constexpr Entry kCliTexts[] = {
    {"TXT00900",
     "Aufruf: kalvento-cli BEFEHL [ORDNER] [OPTIONEN]\r\n"
     "\r\n"
     "Befehle:\r\n"
     "  analyse [ORDNER]   Analyse des Ordners (Vorgabe: aktueller Ordner); gibt die\r\n"
     "                     Ergebnisliste aus, eine Zeile je Eintrag, Felder durch Tabulator getrennt\r\n"
     "  correct [ORDNER]   Analyse wie 'analyse', dann Korrektur aller markierten Dateien; gibt die\r\n"
     "                     geänderte Ergebnisliste aus\r\n"
     "  settings           zeigt die wirksamen Einstellungen, wie die Einstellungsdatei sie enthält\r\n"
     "  help               zeigt diese Hilfe\r\n"
     "\r\n"
     "Optionen:\r\n"
     "  --settings DATEI             andere Einstellungsdatei verwenden\r\n"
     "  --save                       Einstellungen (mit den Änderungen) in der Einstellungsdatei speichern\r\n"
     "  --depth N                    Ordnertiefe begrenzen (0 = alle, 1 bis 20)\r\n"
     "  --no-recursive               nur den gewählten Ordner analysieren, ohne Unterordner\r\n"
     "  --created \"QUELLE,QUELLE\"    Quellen für 'Erstellt' in dieser Reihenfolge; die übrigen abgeschaltet\r\n"
     "  --modified \"QUELLE,QUELLE\"   ebenso für 'Geändert'\r\n"
     "  --no-created, --no-modified  das Datum 'Erstellt' bzw. 'Geändert' nicht korrigieren\r\n"
     "  --pattern-created MUSTER     Muster für Datumsangaben im Dateinamen ('Erstellt'), z. B. \"YYYYMMDD_hhmmss\"\r\n"
     "  --pattern-modified MUSTER    ebenso für 'Geändert'\r\n"
     "  --shift-created ±H:MM:SS     Zeitverschiebung für 'Erstellt', z. B. +1:00:00\r\n"
     "  --shift-modified ±H:MM:SS    ebenso für 'Geändert'\r\n"
     "  --fixed-created \"TT.MM.JJJJ,hh:mm:ss\"   festes Datum für 'Erstellt'\r\n"
     "  --fixed-modified \"TT.MM.JJJJ,hh:mm:ss\"  ebenso für 'Geändert'\r\n"
     "  --log                        correct: ein Protokoll schreiben (wie CreateLog)\r\n"
     "  --only MUSTER                correct: nur Dateien korrigieren, deren Name passt (z. B. \"*.jpg\");\r\n"
     "                               mehrfach angebbar\r\n"
     "  --export DATEI               analyse, correct: die Ergebnisliste danach in die Datei exportieren\r\n"
     "  --type pdf|txt|csv|xls       Exporttyp: PDF-Bericht, Text mit Tabulator, Text mit \";\",\r\n"
     "                               Tabelle (Vorgabe: der gespeicherte); fehlt die Endung, wird sie angehängt\r\n"
     "  --yes                        eine vorhandene Exportdatei ohne Rückfrage ersetzen (ohne Terminal\r\n"
     "                               wird sie sonst nie ersetzt)\r\n"
     "\r\n"
     "Quellen: \"DOCS created\", \"DOCS modified\", \"EXIF taken\", \"EXIF changed\", \"IPTC created\",\r\n"
     "\"XMP modified\", \"AV recorded\", FILENAME, SAMEDATE, CROSSDATE, FIXEDDATE\r\n"
     "\r\n"
     "Escape oder Strg+C hält einen Lauf nach Rückfrage an.\r\n"
     "Rückgabewert: 0 fertig, 1 vom Benutzer abgebrochen, 2 fehlerhafte Angaben oder Ordner,\r\n"
     "3 (correct) mindestens ein Datum konnte nicht geschrieben werden."},
    {"TXT00901", "Unbekannter Befehl"},
    {"TXT00902", "Diese Option verlangt einen Wert"},
    {"TXT00903", "Unbekannte Option"},
    {"TXT00904", "Unerwartete Angabe"},
    {"TXT00905", "Unbekannte Quelle"},
    {"TXT00906", "Diese Quelle ist doppelt angegeben"},
    {"TXT00907", "Die Ordnertiefe muss eine Zahl von 0 (alle) bis 20 sein"},
    {"TXT00908", "Die Zeitverschiebung muss die Form +H:MM:SS oder -H:MM:SS haben"},
    {"TXT00909", "Das feste Datum muss die Form TT.MM.JJJJ,hh:mm:ss haben und gültig sein"},
    {"TXT00910", "Die Quelle FIXEDDATE ist für 'Erstellt' eingeschaltet, aber es ist kein festes Datum angegeben (--fixed-created)"},
    {"TXT00911", "Die Quelle FIXEDDATE ist für 'Geändert' eingeschaltet, aber es ist kein festes Datum angegeben (--fixed-modified)"},
    {"TXT00912", "Der Ordner wurde nicht gefunden oder ist nicht lesbar"},
    {"TXT00913", "Die Einstellungsdatei konnte nicht geschrieben werden"},
    {"TXT00914", "Hilfe: kalvento-cli --help"},
    {"TXT00920", "Protokoll"},
    {"TXT00921", "Geschriebene Daten"},
    {"TXT00922", "Nicht geschrieben"},
    {"TXT00940", "Unbekannter Exporttyp (pdf, txt, csv oder xls)"},
    {"TXT00941", "--type und --yes gelten nur zusammen mit --export"},
    {"TXT00942", "--export gilt nur für analyse und correct"},
    {"TXT00943", "Export geschrieben"},
    {"TXT00944", "Export abgebrochen, die Datei enthält die Zeilen bis dahin"},
    {"TXT00945", "Die vorhandene Datei wurde nicht ersetzt"},
    {"TXT00946", "Die Datei ist vorhanden; ohne Terminal wird sie nur mit --yes ersetzt"},
    {"TXT00947", "Die Exportdatei konnte nicht geschrieben werden"},
};

constexpr std::size_t kConfigCount = std::size(kConfigValues);
constexpr std::size_t kTextCount = std::size(kTexts);

constexpr std::string_view KeyAt(std::size_t i) {
  return i < kConfigCount ? kConfigValues[i].key : kTexts[i - kConfigCount].key;
}

constexpr bool KeysUnique() {
  constexpr std::size_t n = kConfigCount + kTextCount;
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = i + 1; j < n; ++j) {
      if (KeyAt(i) == KeyAt(j)) return false;
    }
  }
  return true;
}

constexpr bool IsConfigKey(std::string_view key) { return IsDescriptiveKey(key); }

static_assert(AllKeys(kConfigValues, IsConfigKey), "config keys are descriptive words joined by _");
static_assert(AllKeys(kTexts, TextOrDescriptiveKey), "text key of an unknown shape");
static_assert(NoReservedKey(kTexts), "TXT00900-TXT00999 are reserved for the command line");
static_assert(KeysUnique(), "a key is filled twice");

template <std::size_t N>
constexpr bool OnlyCliKeys(const Entry (&entries)[N]) {
  for (const Entry& e : entries) {
    if (!IsReservedForCli(e.key)) return false;
  }
  return true;
}
static_assert(OnlyCliKeys(kCliTexts), "command-line texts stay in TXT00900-TXT00999");

// ---------------------------------------------------------------------------------------------
// The map.
// ---------------------------------------------------------------------------------------------
struct KeyHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view key) const noexcept {
    return std::hash<std::string_view>{}(key);
  }
};

using Table = std::unordered_map<std::string, std::string, KeyHash, std::equal_to<>>;

Table BuildTable() {
  Table table;
  table.reserve(kConfigCount + kTextCount + std::size(kCliTexts));
  for (const Entry& e : kConfigValues) table.emplace(e.key, e.value);
  for (const Entry& e : kTexts) table.emplace(e.key, e.value);
  for (const Entry& e : kCliTexts) table.emplace(e.key, e.value);
  return table;
}

// Built on first use (thread-safe initialisation of a local static); read-only afterwards.
const Table& TheTable() {
  static const Table table = BuildTable();
  return table;
}

const std::string& EmptyText() {
  static const std::string empty;
  return empty;
}

}  // namespace

void FillTextTable() {
  // Builds the table if it is not built yet; a second call finds it built and changes nothing.
  (void)TheTable();
}

const std::string& Text(std::string_view key) {
  const Table& table = TheTable();
  const auto it = table.find(key);
  if (it == table.end()) return EmptyText();
  return it->second;
}

}  // namespace kalvento
