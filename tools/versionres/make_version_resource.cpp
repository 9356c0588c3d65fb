// Turns the version description into a C++ source that places the VS_VERSIONINFO block in
// an ELF section of its own, where the version reader finds it.
#include "version_block_writer.h"

#include <fstream>
#include <iostream>
#include <sstream>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: make_version_resource DESCRIPTION OUTPUT.cpp SECTION\n";
        return 2;
    }
    try {
        std::ifstream in(argv[1], std::ios::binary);
        if (!in)
            throw std::runtime_error(std::string("cannot read ") + argv[1]);
        std::stringstream text;
        text << in.rdbuf();
        auto bytes = pixmorrow::versionres::buildVersionInfo(
            pixmorrow::versionres::parseDescription(text.str()));

        std::ostringstream out;
        out << "// Generated from " << argv[1] << "; do not edit.\n"
            << "extern \"C\" {\n"
            << "__attribute__((section(\"" << argv[3] << "\"), used, retain, aligned(4)))\n"
            << "const unsigned char pixmorrow_version_resource[" << bytes.size() << "] = {";
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            out << (i % 16 == 0 ? "\n    " : " ") << static_cast<int>(bytes[i]) << ',';
        }
        out << "\n};\n}\n";

        std::ofstream file(argv[2], std::ios::binary | std::ios::trunc);
        file << out.str();
        if (!file)
            throw std::runtime_error(std::string("cannot write ") + argv[2]);
    } catch (const std::exception& e) {
        std::cerr << "make_version_resource: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
