#pragma once
// The about window: the program's picture, name, version and a few words.

#include <QDialog>

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);
    QString VersionLine() const;
};
