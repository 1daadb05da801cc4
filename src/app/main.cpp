// Program entry: creates the five windows, runs the message loop until the program is told to
// end or the main window is closed, then destroys the windows in reverse order.
#include "app/Application.h"
#include "app/Artwork.h"
#include "app/Program.h"

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    QGuiApplication::setWindowIcon(Artwork::WindowIcon());
    CreateWindows();
    const int result = TApplication::exec();
    DestroyWindows();
    return result;
}
