#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace pixmorrow {

// An INI file held in memory: every section and entry of the file, so what this program does
// not use is written back unchanged. Section and key names match without regard to case and
// keep the spelling first seen. Comments and lines before the first section are not kept.
class IniStore {
public:
    struct Entry {
        QString key;
        QString value;
        // False for a line without "=", which is kept and written back as it stands.
        bool hasValue = true;
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
    };

    // Reads UTF-8 text (an initial byte-order mark skipped); lines end in CR, LF or CR LF.
    void parse(const QByteArray& bytes);
    // The whole store: byte-order mark, then "[name]", "key=value" lines and one empty line
    // per section, in the order sections were first seen; lines end in CR LF.
    QByteArray serialize() const;

    // Reads `path`; a missing or unreadable file reads as an empty store. An unreadable one
    // (it is there but cannot be read) marks the store: see readFailed().
    void load(const QString& path);
    // The last load found a file it could not read: saving would lose what it holds.
    bool readFailed() const { return readFailed_; }
    // Replaces `path` with the store atomically: a temporary file in the same folder is
    // written, flushed to disk and renamed over the old file, so a crash or a full disk never
    // leaves a truncated file. A `path` that is a link keeps it: the file it leads to is
    // replaced. Throws Error when that fails, or when the last load could not read the file.
    void save(const QString& path) const;

    QString value(const QString& section, const QString& key, const QString& fallback = {}) const;
    bool contains(const QString& section, const QString& key) const;
    // Throws Error for a section, key or value holding a line break (CR or LF), which would
    // split into lines of its own in the file.
    void setValue(const QString& section, const QString& key, const QString& value);

    const std::vector<Section>& sections() const { return sections_; }

private:
    Section* findSection(const QString& name);
    const Section* findSection(const QString& name) const;

    std::vector<Section> sections_;
    bool readFailed_ = false;
};

// True when `text` holds a CR or LF.
bool holdsLineBreak(const QString& text);

}  // namespace pixmorrow
