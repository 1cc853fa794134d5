// frmAbout: product name, version, licence and the project's address.
#pragma once

#include "core/locale/keyedtexts.h"

#include <QDialog>
#include <QString>

namespace Feedsmith {

// The About box, in the interface language (English where the language file lacks a text);
// Enter and Esc close it.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(const KeyedTexts &texts = {}, QWidget *parent = nullptr);

    // "Version " and major.minor.revision of the build.
    static QString versionText();
};

} // namespace Feedsmith
