// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzSupport.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
}

namespace {

// A fresh folder, removed with everything in it when the process ends.
class Scratch {
public:
    Scratch() {
        const char* base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/kx207-fuzz-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        Require(mkdtemp(name.data()) != nullptr, "a scratch folder can be made");
        path = name.data();
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string path;
};

} // namespace

const std::string& ScratchFolder() {
    static const Scratch folder;
    return folder.path;
}

void StartHeadlessApplication(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Never destroyed: when static objects go, Qt's own globals that its destructor uses are gone.
    static const QGuiApplication* const application = new QGuiApplication(*argc, *argv);
    (void)application;
}

void DrawDiagrams(const DiagramState& state) {
    static QImage main = NewCanvasImage(MainDiagram.Width, MainDiagram.Height);
    static QImage mainStrip = NewCanvasImage(MainDiagram.Width, MainDiagram.StripHeight);
    static QImage miniature = NewCanvasImage(MiniatureWidth, MiniatureHeight);
    static QImage big = NewCanvasImage(BigDiagram.Width, BigDiagram.Height);
    static QImage bigStrip = NewCanvasImage(BigDiagram.Width, BigDiagram.StripHeight);
    TCanvas mainCanvas(main), mainStripCanvas(mainStrip), miniatureCanvas(miniature);
    TCanvas bigCanvas(big), bigStripCanvas(bigStrip);
    DrawMainDiagram(state, mainCanvas, mainStripCanvas, miniatureCanvas);
    DrawBigDiagram(state, bigCanvas, bigStripCanvas);
}
