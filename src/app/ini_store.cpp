#include "app/ini_store.h"

#include "platform/error.h"
#include "platform/posix_io.h"
#include "platform/text.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

#include <sys/stat.h>

namespace pixmorrow {

namespace {

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

}  // namespace

void IniStore::parse(const QByteArray& bytes) {
    sections_.clear();
    QByteArrayView data(bytes);
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    const QString text = QString::fromUtf8(data);

    Section* current = nullptr;
    for (const QString& raw : splitLines(text)) {
        const QString line = trimBlanksAndControls(raw);
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.size() >= 2 && line.startsWith(u'[') && line.endsWith(u']')) {
            const QString name =
                trimBlanksAndControls(QStringView(line).sliced(1, line.size() - 2));
            current = findSection(name);
            if (current == nullptr) {
                sections_.push_back({name, {}});
                current = &sections_.back();
            }
            continue;
        }
        if (current == nullptr)
            continue;  // before the first section
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0) {
            // Kept as it stands, so a hand-written line survives the next save.
            current->entries.push_back({line, {}, false});
        } else {
            current->entries.push_back({trimBlanksAndControls(QStringView(line).first(equals)),
                                        trimBlanksAndControls(QStringView(line).sliced(equals + 1)),
                                        true});
        }
    }
}

QByteArray IniStore::serialize() const {
    QString text;
    for (const Section& section : sections_) {
        text += u'[' + section.name + QStringLiteral("]\r\n");
        for (const Entry& entry : section.entries) {
            text += entry.key;
            if (entry.hasValue)
                text += u'=' + entry.value;
            text += QStringLiteral("\r\n");
        }
        text += QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

bool holdsLineBreak(const QString& text) {
    return text.contains(u'\r') || text.contains(u'\n');
}

void IniStore::load(const QString& path) {
    readFailed_ = false;
    sections_.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        // A file that is not there is a fresh start; one that is there but cannot be read
        // must not be replaced by what little this store holds.
        readFailed_ = QFileInfo(path).isFile();
        return;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        readFailed_ = true;
        return;
    }
    parse(bytes);
}

void IniStore::save(const QString& path) const {
    if (readFailed_) {
        throw Error(QStringLiteral("The settings could not be saved to \"%1\": the file could "
                                   "not be read, and is left as it is")
                        .arg(path));
    }
    const QByteArray bytes = serialize();
    // A link stays a link: the file it leads to is the one replaced.
    const QFileInfo info(path);
    const QString resolved = !info.isSymLink() ? path
                             : info.exists()   ? info.canonicalFilePath()
                                               : info.symLinkTarget();
    const QByteArray target = QFile::encodeName(resolved);
    // Keep the permissions a hand-edited file was given; a new file is readable by all,
    // as any other file the program writes.
    struct stat old {};
    const mode_t mode = ::stat(target.constData(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    const int error = posix::writeFileAtomically(target.toStdString(), bytes.constData(),
                                                 static_cast<std::size_t>(bytes.size()),
                                                 posix::ExistingFile::Replace, mode);
    if (error != 0)
        throw Error(QStringLiteral("The settings could not be saved to \"%1\": %2")
                        .arg(path, QString::fromLocal8Bit(std::strerror(error))));
}

IniStore::Section* IniStore::findSection(const QString& name) {
    for (Section& section : sections_) {
        if (sameName(section.name, name))
            return &section;
    }
    return nullptr;
}

const IniStore::Section* IniStore::findSection(const QString& name) const {
    for (const Section& section : sections_) {
        if (sameName(section.name, name))
            return &section;
    }
    return nullptr;
}

QString IniStore::value(const QString& section, const QString& key, const QString& fallback) const {
    if (const Section* s = findSection(section)) {
        for (const Entry& entry : s->entries) {
            if (entry.hasValue && sameName(entry.key, key))
                return entry.value;
        }
    }
    return fallback;
}

bool IniStore::contains(const QString& section, const QString& key) const {
    if (const Section* s = findSection(section)) {
        for (const Entry& entry : s->entries) {
            if (entry.hasValue && sameName(entry.key, key))
                return true;
        }
    }
    return false;
}

void IniStore::setValue(const QString& section, const QString& key, const QString& value) {
    if (holdsLineBreak(section) || holdsLineBreak(key) || holdsLineBreak(value))
        throw Error(QStringLiteral("A setting cannot hold a line break: ") + key);
    Section* s = findSection(section);
    if (s == nullptr) {
        sections_.push_back({section, {}});
        s = &sections_.back();
    }
    for (Entry& entry : s->entries) {
        if (entry.hasValue && sameName(entry.key, key)) {
            entry.value = value;
            return;
        }
    }
    s->entries.push_back({key, value, true});
}

}  // namespace pixmorrow
