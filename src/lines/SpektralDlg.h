#pragma once

#include <QDialog>
#include <cstdint>

// The spectral line window "Spektrallinien einblenden": lists the line files of the library folder.
class TSpektralForm : public QDialog {
    Q_OBJECT
public:
    TSpektralForm();

    static constexpr int ClientWidth = 441;
    static constexpr int ClientHeight = 395;

    void FormCreate();
    void FormDestroy();

    // Position in the list of the entry selected last.
    int32_t SelectedLineFile = 0;
};

extern TSpektralForm* SpektralForm;
