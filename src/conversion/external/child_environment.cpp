#include "conversion/external/child_environment.h"

#include <algorithm>
#include <cstring>

extern char** environ;

namespace pixmorrow {

std::vector<char*> environmentWith(std::vector<QByteArray>& added) {
    std::vector<char*> envp;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const char* equals = std::strchr(*entry, '=');
        const std::size_t nameLength =
            equals != nullptr ? static_cast<std::size_t>(equals - *entry) : std::strlen(*entry);
        const bool replaced = std::any_of(added.begin(), added.end(), [&](const QByteArray& a) {
            return a.size() > static_cast<qsizetype>(nameLength) && a[nameLength] == '=' &&
                   std::strncmp(a.constData(), *entry, nameLength) == 0;
        });
        if (!replaced)
            envp.push_back(*entry);
    }
    for (QByteArray& entry : added)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    return envp;
}

}  // namespace pixmorrow
