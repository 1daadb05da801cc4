// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/IniFile.h"
#include "spectrum/SpectrumModel.h"

#include <cstdint>

// Every entry the program keeps in KX207.INI: its section, its key and the value read when the file
// has none. Readers and writers name the entries only through this table.
namespace Settings {

inline constexpr const char* SensorSection = "TSL1401";
inline constexpr const char* DiagramSection = "Diagramm";
inline constexpr const char* DataSection = "Daten";
inline constexpr const char* WindowSection = "Fenster";
inline constexpr const char* MeasurementSection = "Messung";
inline constexpr const char* TimeCourseSection = "Zeitverlauf";

struct IntegerEntry {
    const char* Section;
    const char* Key;
    int32_t Default;
};
struct BoolEntry {
    const char* Section;
    const char* Key;
    bool Default;
};
// A text entry; its default depends on the run (such as the current folder), so the reader gives it.
struct TextEntry {
    const char* Section;
    const char* Key;
};
// The two keys of a window's stored top left corner, in section "Fenster" unless another is named.
struct PlaceEntry {
    const char* LeftKey;
    const char* TopKey;
    const char* Section = WindowSection;
};

inline constexpr IntegerEntry LambdaMin{SensorSection, "Lambda_min", DefaultLambdaMin};
inline constexpr IntegerEntry LambdaMax{SensorSection, "Lambda_max", DefaultLambdaMax};
inline constexpr IntegerEntry Gain{SensorSection, "Gain", 0};
inline constexpr BoolEntry Correction{SensorSection, "Korrektur", false};
inline constexpr BoolEntry AutoExposure{SensorSection, "Auto-Belichtung", false};

inline constexpr IntegerEntry Scaling{DiagramSection, "Skalierung", 3};
inline constexpr BoolEntry AutoScale{DiagramSection, "AutoScale", true};
inline constexpr BoolEntry Minimum{DiagramSection, "Minimum", false};
inline constexpr BoolEntry Maximum{DiagramSection, "Maximum", true};
inline constexpr BoolEntry SpectralColours{DiagramSection, "Spektralfarben", true};
inline constexpr BoolEntry Bars{DiagramSection, "Balkendiagramm", true};
inline constexpr BoolEntry Grid{DiagramSection, "Gitter", true};
inline constexpr IntegerEntry CurveColour{DiagramSection, "Linienfarbe", int32_t(clYellow)};
inline constexpr IntegerEntry Offset{DiagramSection, "Offset", 0};

inline constexpr TextEntry DataFolder{DataSection, "Datenverzeichnis"};

// The dark spectrum (128 whole numbers separated by commas) and the exposure it belongs to; written
// when one is taken, so the file gains them only once the function is used.
inline constexpr TextEntry DarkSpectrum{MeasurementSection, "Dunkelspektrum"};
inline constexpr IntegerEntry DarkExposure{MeasurementSection, "Dunkelbelichtung", -1};
// Beside them, what its evaluation needs: the unrounded mean and the spread of one spectrum (128
// decimals with a point, separated by commas) and the count of spectra in the mean; they count only
// while the mean rounds to the whole numbers above.
inline constexpr TextEntry DarkMean{MeasurementSection, "Dunkelmittel"};
inline constexpr TextEntry DarkSpread{MeasurementSection, "Dunkelstreuung"};
inline constexpr IntegerEntry DarkCount{MeasurementSection, "Dunkelanzahl", 0};
// Written only once a picture or a table has been saved.
inline constexpr BoolEntry PictureDoubled{MeasurementSection, "Bild doppelt", false};
inline constexpr BoolEntry PictureWhite{MeasurementSection, "Bild weiss", false};
inline constexpr TextEntry ExportFolder{MeasurementSection, "Exportverzeichnis"};

inline constexpr BoolEntry BigShown{WindowSection, "Big", false};
inline constexpr PlaceEntry MainPlace{"Left Main", "Top Main"};
inline constexpr PlaceEntry BigPlace{"Left Big", "Top Big"};
inline constexpr PlaceEntry LinesPlace{"Left Spektrallinien", "Top Spektrallinien"};

// The timed series and the window of its time course, written only once they are used.
inline constexpr PlaceEntry TimeCoursePlace{"Left", "Top", TimeCourseSection};
inline constexpr BoolEntry TimeCourseShown{TimeCourseSection, "Sichtbar", false};
inline constexpr IntegerEntry SeriesIntervalTenths{TimeCourseSection, "Intervall (0,1 s)", 10};
inline constexpr BoolEntry SeriesByCount{TimeCourseSection, "Nach Anzahl", false};
inline constexpr IntegerEntry SeriesMinutes{TimeCourseSection, "Dauer (min)", 15};
inline constexpr IntegerEntry SeriesCount{TimeCourseSection, "Anzahl", 100};
inline constexpr BoolEntry SeriesStartsAtMixing{TimeCourseSection, "Start beim Mischen", false};
inline constexpr IntegerEntry TimeCourseQuantity{TimeCourseSection, "Groesse", 0};
inline constexpr BoolEntry TimeCourseMinutes{TimeCourseSection, "Minuten", false};
inline constexpr IntegerEntry TimeCourseBand{TimeCourseSection, "Bandbreite (nm)", 2};
inline constexpr TextEntry TimeCourseWavelengths{TimeCourseSection, "Wellenlaengen"};
inline constexpr TextEntry SeriesFolder{TimeCourseSection, "Verzeichnis"};

// The entries of the left and the top edge of a window's place; a window without them stays where it is.
inline constexpr IntegerEntry Left(const PlaceEntry& place) {
    return {place.Section, place.LeftKey, 0};
}
inline constexpr IntegerEntry Top(const PlaceEntry& place) {
    return {place.Section, place.TopKey, 0};
}

// The entry's value in `file`, or its default.
inline int32_t Read(const TIniFile& file, const IntegerEntry& entry) {
    return file.ReadInteger(entry.Section, entry.Key, entry.Default);
}
inline bool Read(const TIniFile& file, const BoolEntry& entry) {
    return file.ReadBool(entry.Section, entry.Key, entry.Default);
}
inline std::string Read(const TIniFile& file, const TextEntry& entry, const std::string& defaultValue) {
    return file.ReadString(entry.Section, entry.Key, defaultValue);
}

// Writes `value` to the entry in `file` at once.
inline void Write(TIniFile& file, const IntegerEntry& entry, int32_t value) {
    file.WriteInteger(entry.Section, entry.Key, value);
}
inline void Write(TIniFile& file, const BoolEntry& entry, bool value) {
    file.WriteBool(entry.Section, entry.Key, value);
}
inline void Write(TIniFile& file, const TextEntry& entry, const std::string& value) {
    file.WriteString(entry.Section, entry.Key, value);
}

} // namespace Settings
