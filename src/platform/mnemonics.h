#pragma once

#include <QChar>
#include <QString>

namespace pixmorrow {

// Mnemonics ("&Yes") for captions known only at run time, such as translations. `taken`
// holds the letters already in use in the same window or menu, in lower case. The caption
// gets the first free letter or digit that starts a word, else the first free one anywhere,
// and that letter joins `taken`; with none free it gets no mnemonic. An "&" of the caption
// itself is doubled so that it shows.
QString withMnemonic(const QString& caption, QString& taken);

// The mnemonic of a caption in lower case ("&Yes" gives 'y'), or a null QChar.
QChar mnemonicOf(const QString& caption);

// The caption as it reads: single "&" markers dropped, "&&" back to "&".
QString withoutMnemonic(const QString& caption);

}  // namespace pixmorrow
