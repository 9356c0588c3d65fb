#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace pixmorrow {

// The one exception type of the program: it carries the text the user is shown.
class Error : public std::exception {
public:
    explicit Error(QString message);

    const QString& message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

// The user-facing text of any exception: Error's own text, otherwise what() read as UTF-8.
QString errorText(const std::exception& e);

}  // namespace pixmorrow
