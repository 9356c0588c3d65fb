#pragma once

#include "formats/decode_error.h"

#include <QByteArray>
#include <QString>

#include <exception>

namespace pixmorrow {

// The one exception type of the program: it carries the text the user is shown and, for a
// decoder's failure, its kind and the library's own code, for code that acts on the failure.
class Error : public std::exception {
public:
    explicit Error(QString message, formats::ErrorCause cause = {});
    // A decoder's failure: its text as it stands, with its kind and code.
    explicit Error(const formats::DecodeError& error);

    const QString& message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }
    const formats::ErrorCause& cause() const noexcept { return cause_; }

private:
    QString message_;
    QByteArray utf8_;
    formats::ErrorCause cause_;
};

// The user-facing text of any exception: Error's own text, otherwise what() read as UTF-8.
QString errorText(const std::exception& e);

// The kind and code of any exception: an Error's or a DecodeError's, otherwise none.
formats::ErrorCause errorCause(const std::exception& e);

}  // namespace pixmorrow
