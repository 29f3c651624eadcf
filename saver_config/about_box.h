#pragma once
// The about box: the builder's name, the version the program prints for --version, the copyright line and
// the maker's web site (a click opens it). Main thread only.
#include <QDialog>

class QLabel;

namespace vorlin::saverconfig {

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);
    QLabel* LinkLabel = nullptr;
};

} // namespace vorlin::saverconfig
