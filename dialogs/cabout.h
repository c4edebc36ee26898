#pragma once

#include <QDialog>

namespace Ui {
class CAbout;
}

// The about box: product, version with build date and toolkit version, the
// maker's logo, the release history and the maker's web site.
class CAbout : public QDialog
{
    Q_OBJECT
public:
    // The address the form's link is replaced with.
    static const char kWebAddress[];

    // The box is a window of its own: owner (the main window) is not its parent.
    explicit CAbout(QWidget *owner);
    ~CAbout() override;

    Ui::CAbout *ui = nullptr;

private:
    void setText();
};
