// Every text of the updater, in code page 1252 ("\xE8" is "è").
#pragma once

namespace upd {

constexpr char kTitle[] = "KORVANTE Aggiornamento";
constexpr char kWarningTitle[] = "Avvertenza!";
constexpr char kErrorTitle[] = "Errore!";

constexpr char kNoEngine[] = "Non \xE8 stata trovata la DLL necessaria per eseguire il programma.";
constexpr char kMissingFileFmt[] = "Manca il file: '%s'";
constexpr char kNotInstalled[] = "E' necessario avere installato KORVANTE.";
constexpr char kGameFileMissingFmt[] = "Non \xE8 stato trovato il file '%s' di KORVANTE.";

constexpr char kNoneUpdated[] = "Non \xE8 stato aggiornato nessun file.";
constexpr char kNotDone[] = "Aggiornamento non realizzato.";
constexpr char kOneUpdated[] = "1 file aggiornato con successo.";
constexpr char kManyUpdatedFmt[] = "%u files aggiornati con successo.";

constexpr char kLabelFiles[] = "Totale file";
constexpr char kLabelTotal[] = "Totale aggiornamento";

// Error texts of the engine's message 3 that the updater acts on.
constexpr char kEptFileMissing[] = "\nerror ept0015: ";
constexpr char kEptQuiet[] = "\nerror ept0036: ";

constexpr char kPatchFile[] = "QMBPATCH36.RTP";
constexpr char kEngineDll[] = "PATCHW32.DLL";
constexpr char kEngineSystemCopy[] = "\\patchw32.dll";
constexpr char kEngineEntry[] = "RTPatchApply32@12";
constexpr char kUtilsPlain[] = "utils.dll";
constexpr char kUtilsMmx[] = "utilsmmx.dll";
constexpr char kUtilsTargetFmt[] = "%s\\utils.dll";
constexpr char kSaveFileFmt[] = "%s\\save\\partido.dat";
constexpr char kCommandLineFmt[] = "\"%s\\%s\"";
constexpr char kRegistryKey[] = "SOFTWARE\\BRELLOWAY\\KORVANTE";
constexpr char kRegistryValue[] = "DIR";

}  // namespace upd
