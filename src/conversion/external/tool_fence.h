#pragma once

// What the external tool is allowed to do, in one place for every caller that runs it. The
// tool would otherwise pick its decoder by a file's content, so a renamed file could reach
// any of its many decoders, and it reads options, format prefixes and frame numbers out of
// file names. Every path it is given goes through here, and its policy.xml lets through only
// the coders listed here.

#include <QString>
#include <QStringList>

#include <vector>

namespace pixmorrow::tool_fence {

// A source for the tool to read: absolute (the tool runs in another working folder), behind
// the decoder its extension promises ("TGA:/pictures/x.tga"), so that content of another kind
// is refused. `animated` reads a PNG whole, as an animation. Throws Error, naming the file,
// for an extension the tool has no decoder for or a name it would cut.
QString inputArgument(const QString& path, bool animated = false);

// An output for the tool to write: absolute, behind the encoder of its extension, every "%"
// doubled (the tool reads "%d" in an output name as a frame number). Throws Error as above.
QString outputArgument(const QString& path);

// One coder the tool may use, and for what.
struct CoderRights {
    QString coder;
    bool read = false;
    bool write = false;
    bool operator==(const CoderRights&) const = default;
};

// Every coder the routes need, sorted by name: the decoders of the input kinds the tool reads,
// the encoders of the types it writes, and PAM, in which it hands an animation's frames to the
// APNG helper. Every other coder is denied.
std::vector<CoderRights> allowedCoders();

// The coder lines of policy.xml that allow exactly allowedCoders() after denying all.
QStringList policyCoderLines();

// A folder of the tool's own for one conversion (MAGICK_TMPDIR): made private to this user
// under `parent`, removed with everything in it when the object goes.
class PrivateFolder {
public:
    // Throws Error when the folder cannot be made.
    explicit PrivateFolder(const QString& parent);
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    const QString& path() const { return path_; }

private:
    QString path_;
};

}  // namespace pixmorrow::tool_fence
