// SPDX-License-Identifier: GPL-3.0-or-later
// kx207-pictures: makes the handbook's pictures from the program itself, measuring the simulated
// instrument in-process, so that a change to a window shows up as a changed picture. Run under an X
// display, in a folder that holds the line library "dat"; scripts/screenshot handbuch does both.
// Usage: kx207-pictures emission|absorption|kinetik|konzentration|unplugged <output folder>
#include "PictureScript.h"

#include "app/HelpCommands.h"
#include "app/MainFrm.h"
#include "app/MeasurementCommands.h"
#include "app/Program.h"
#include "app/SeriesCommands.h"
#include "calibration/Setup.h"
#include "concentrationdlg/KonzentrationDlg.h"
#include "kx207-sim/SimulatedInstrument.h"
#include "lines/SpektralDlg.h"
#include "timecourse/TimeCourseDlg.h"
#include "ui/Application.h"
#include "ui/Artwork.h"
#include "ui/LabeledEdit.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

using Step = PictureScript::Step;

QRect MainWindow() {
    return PictureScript::Around({MainForm});
}

// Opens `menu` below its title in the menu bar, as a click would.
void OpenMenu(QMenu* menu) {
    const QRect title = MainForm->menuBar()->actionGeometry(menu->menuAction());
    menu->popup(MainForm->menuBar()->mapToGlobal(title.bottomLeft()));
}

// The main window with `menu` open over it.
Step MenuPicture(const QString& picture, QMenu* menu) {
    return {picture,
            [menu] { OpenMenu(menu); },
            [] { return true; },
            700,
            [menu] {
                return PictureScript::Around({MainForm, menu});
            },
            [menu] { menu->close(); }};
}

// Automatic exposure has brought the highest reading into its band.
bool Settled() {
    const int peak = MainForm->MeasurementCommands->ExposurePeak();
    return MainForm->Messung_Timer->Enabled() && peak >= 400 && peak <= 600;
}

bool CaptureDone() {
    return MainForm->Measurement.Capturing() == MeasurementModes::Capture::None;
}

std::vector<Step> EmissionSteps(const QString& output) {
    return {
        {QStringLiteral("hauptfenster.png"),
         [] { MainForm->SpektrumEdit->setText(QStringLiteral("Quecksilberdampflampe")); }, Settled, 1500,
         MainWindow},
        MenuPicture(QStringLiteral("menue-hilfe.png"), MainForm->HelpCommands->Hilfe1),
        // The line window chooses its first file as it is shown; Hg is chosen once it is up.
        {QString(), [] { MainForm->Spektrallinieneinblenden->trigger(); }},
        {QStringLiteral("spektrallinien.png"),
         [] {
             const QList<QListWidgetItem*> mercury =
                 SpektralForm->ListView->findItems(QStringLiteral("Hg"), Qt::MatchExactly);
             if (!mercury.isEmpty()) SpektralForm->ListView->setCurrentItem(mercury.constFirst());
         },
         [] { return SpektralForm->ListBox->count() > 0; }, 1500,
         [] {
             return PictureScript::Around({MainForm, SpektralForm});
         }},
        {QStringLiteral("einstellungen.png"),
         [] {
             MainForm->Einstellungen->trigger();
             // Below the line window, as a teacher would put it to see both.
             SetupForm->move(SpektralForm->x(), SpektralForm->frameGeometry().bottom() + 12);
         },
         [] { return true; }, 1000,
         [] {
             return PictureScript::Around({MainForm, SpektralForm, SetupForm});
         },
         [] {
             SetupForm->Cancel_ButtonClick();
             SpektralForm->hide();
         }},
        {QStringLiteral("peaks.png"), [] { MainForm->PeaksBeschriften->trigger(); }, [] { return true; },
         2500, MainWindow},
        {QStringLiteral("bild-speichern.png"), [] { MainForm->BildSpeichern->trigger(); },
         [] { return true; }, 1000, [] { return PictureScript::Around({QApplication::activeModalWidget()}); },
         [] { QApplication::activeModalWidget()->close(); }},
        // The picture for a worksheet exactly as the program saves it; its caption keeps one moment,
        // so that only a change of the program changes it.
        {QString(),
         [output] {
             MainForm->SaveDiagramPicture(QDir(output).filePath(QStringLiteral("arbeitsblatt.png")),
                                          {false, true,
                                           PictureCaption(MainForm->SpektrumEdit->text(),
                                                          QDateTime(QDate(2026, 12, 7), QTime(10, 15)))});
         }},
    };
}

std::vector<Step> AbsorptionSteps(SimulatedInstrument& instrument) {
    SimulatedInstrument* lamp = &instrument;
    TMeasurementCommands* commands = MainForm->MeasurementCommands;
    return {
        {QStringLiteral("absorption-leerwert.png"),
         [] { MainForm->SpektrumEdit->setText(QStringLiteral("Weiße LED, Küvette mit Wasser")); }, Settled,
         1500, MainWindow},
        MenuPicture(QStringLiteral("menue-messung.png"), commands->Messung1),
        {QStringLiteral("absorption-referenz.png"),
         [commands] { commands->ReferenzspektrumAufnehmen->trigger(); }, CaptureDone, 1500, MainWindow},
        {QStringLiteral("absorption-dunkel.png"),
         [lamp, commands] {
             lamp->SetLightBlocked(true);
             commands->DunkelspektrumAufnehmen->trigger();
         },
         CaptureDone, 1500, MainWindow},
        {QStringLiteral("absorption-probe.png"),
         [lamp, commands] {
             lamp->SetLightBlocked(false);
             lamp->SetFilter(Filter::RedDye);
             commands->DunkelspektrumAbziehen->trigger();
             commands->MittelungItems.back()->trigger();
             MainForm->SpektrumEdit->setText(QStringLiteral("Rote Farbstofflösung"));
         },
         [] { return true; }, 20000, MainWindow},
        {QStringLiteral("absorption-transmission.png"), [commands] { commands->Transmission->trigger(); },
         [] { return true; }, 2500, MainWindow},
        {QStringLiteral("absorption-extinktion.png"), [commands] { commands->Extinktion->trigger(); },
         [] { return true; }, 2500, MainWindow},
    };
}

std::vector<Step> UnpluggedSteps() {
    return {{QStringLiteral("kein-spektrometer.png"), [] {}, [] { return true; }, 2000, MainWindow}};
}

// The reference of the lamp through the blank cuvette, once Automatik has settled, then the dark at
// the same exposure, subtracted from then on.
std::vector<Step> ReferenceAndDarkSteps(SimulatedInstrument& instrument, const QString& name) {
    TMeasurementCommands* commands = MainForm->MeasurementCommands;
    SimulatedInstrument* lamp = &instrument;
    return {{QString(), [name] { MainForm->SpektrumEdit->setText(name); }, Settled, 1500},
            {QString(), [commands] { commands->ReferenzspektrumAufnehmen->trigger(); }, CaptureDone, 500},
            {QString(),
             [lamp, commands] {
                 lamp->SetLightBlocked(true);
                 commands->DunkelspektrumAufnehmen->trigger();
             },
             CaptureDone, 500},
            {QString(), [lamp, commands] {
                 lamp->SetLightBlocked(false);
                 commands->DunkelspektrumAbziehen->trigger();
             }}};
}

// Crystal violet fading in the cuvette, the reaction's quarter of an hour passed in a series of 15
// seconds, and its first-order fit.
std::vector<Step> KineticsSteps(SimulatedInstrument& instrument) {
    std::vector<Step> steps =
        ReferenceAndDarkSteps(instrument, QStringLiteral("Kristallviolett mit Natronlauge"));
    SimulatedInstrument* cuvette = &instrument;
    steps.push_back({QString(),
                     [cuvette] {
                         ReactionOptions reaction;
                         reaction.timeFactor = 60;
                         cuvette->StartReaction(reaction);
                         SeriesPlan plan;
                         plan.Interval = 0.5;
                         plan.Count = 30;
                         MainForm->SeriesCommands->StartSeries(
                             plan, QDir::current().filePath(QStringLiteral("Zeitreihe Kristallviolett.csv")));
                     },
                     [] { return !MainForm->SeriesCommands->Running(); }, 500});
    steps.push_back({QStringLiteral("kinetik-zeitverlauf.png"), [] { TimeCourseForm->FitButton->click(); },
                     [] { return TimeCourseForm->Fit().has_value(); }, 1000,
                     [] { return PictureScript::Around({TimeCourseForm}); }});
    return steps;
}

// Five standards of the purple dye and a diluted sample, each measured through the window's own "Messen"
// once the spectrum shows the new cuvette; then the proposed band taken.
std::vector<Step> ConcentrationSteps(SimulatedInstrument& instrument) {
    constexpr double StrayLight = 0.01;
    SimulatedInstrument* lamp = &instrument;
    lamp->SetCuvette(DyeCuvette{0, StrayLight});
    std::vector<Step> steps = ReferenceAndDarkSteps(instrument, QStringLiteral("Violette Farbstofflösung"));
    // A mean of 2 spectra, filled anew after each change of the cuvette, keeps the noise off the line.
    steps.push_back({QString(), [] {
                         MainForm->MeasurementCommands->MittelungItems[1]->trigger();
                         MainForm->Konzentrationsreihe1->trigger();
                     }});
    const auto measure = [lamp](RowKind kind, double mgPerL) -> Step {
        return {QString(),
                [lamp, kind, mgPerL] {
                    lamp->SetCuvette(DyeCuvette{mgPerL, StrayLight});
                    TKonzentrationForm* form = MainForm->KonzentrationForm;
                    form->AddRow(kind);
                    const auto type = [form](int column, const QString& text) {
                        form->Table->item(form->Table->rowCount() - 1, column)->setText(text);
                    };
                    if (kind == RowKind::Standard) {
                        type(TKonzentrationForm::ConcentrationColumn, QString::number(mgPerL));
                    } else {
                        type(TKonzentrationForm::NameColumn, QStringLiteral("Sportgetränk"));
                        type(TKonzentrationForm::DilutionColumn, QStringLiteral("2"));
                    }
                },
                [] { return true; },
                5000,
                [] { return QRect(); },
                [] { MainForm->KonzentrationForm->MessenButton->click(); }};
    };
    // The highest standard lies above A = 1.5 at the band's centre, where the stray light bends the line.
    for (const double mgPerL : {10, 20, 40, 60, 140})
        steps.push_back(measure(RowKind::Standard, mgPerL));
    // A sports drink diluted twofold: 30 mg/L in the cuvette.
    steps.push_back(measure(RowKind::Sample, 30));
    steps.push_back({QStringLiteral("konzentrationsreihe.png"),
                     [] { MainForm->KonzentrationForm->TakeProposal(); }, [] { return true; }, 1000,
                     [] { return PictureScript::Around({MainForm->KonzentrationForm}); }});
    return steps;
}

} // namespace

int main(int argc, char** argv) {
    const char* scenes[] = {"emission", "absorption", "kinetik", "konzentration", "unplugged"};
    if (argc != 3 || std::none_of(std::begin(scenes), std::end(scenes),
                                  [&](const char* scene) { return std::strcmp(argv[1], scene) == 0; })) {
        std::fputs(
            "usage: kx207-pictures emission|absorption|kinetik|konzentration|unplugged <output folder>\n",
            stderr);
        return 2;
    }
    const std::string scene = argv[1];
    const QString output = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();

    InstrumentOptions options;
    if (scene == "absorption") {
        options.lamp = Lamp::Led;
        options.darkCurrent = 30;
        // A calm lamp, as the lesson's LED on a steady supply: the views keep a value where it shines.
        options.flicker = 0.005;
    } else if (scene == "kinetik" || scene == "konzentration") {
        options.lamp = Lamp::White;
        options.flicker = 0.005;
    }
    SimulatedInstrument instrument(options);

    // A settings file of its own, with the windows where the pictures want them and Automatik on.
    QTemporaryDir settings;
    {
        QFile file(QDir(settings.path()).filePath(QStringLiteral("KX207.INI")));
        if (!file.open(QIODevice::WriteOnly)) return 1;
        file.write("[TSL1401]\nAuto-Belichtung=1\nGain=40\n"
                   "[Fenster]\nLeft Main=0\nTop Main=0\nLeft Spektrallinien=560\nTop Spektrallinien=0\n");
    }
    MainFormContext context;
    context.SettingsFolder = settings.path().toStdString();
    if (scene == "unplugged")
        context.CreateRegistry = [] { return std::make_unique<TFixedPortRegistry>(std::nullopt); };
    else
        context.CreateRegistry = [&instrument] {
            return std::make_unique<TFixedPortRegistry>(instrument.PortPath());
        };

    TApplication application(argc, argv);
    QGuiApplication::setWindowIcon(Artwork::WindowIcon());
    CreateWindows(context);
    const std::vector<Step> steps = scene == "emission"        ? EmissionSteps(output)
                                    : scene == "absorption"    ? AbsorptionSteps(instrument)
                                    : scene == "kinetik"       ? KineticsSteps(instrument)
                                    : scene == "konzentration" ? ConcentrationSteps(instrument)
                                                               : UnpluggedSteps();
    PictureScript script(output, steps);
    script.Start();
    TApplication::exec();
    DestroyWindows();
    return script.Result();
}
