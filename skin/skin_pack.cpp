// Builds a skin file from its source: varnick_skin_pack SOURCE.ini OUTPUT.she [RESOURCES.rcc]. RESOURCES.rcc is
// Qt binary resource data (rcc --binary) with the pictures the look names.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>

#include "skin/skin_format.h"

namespace {

std::optional<std::string> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3 && argc != 4) {
        std::cerr << "usage: varnick_skin_pack SOURCE.ini OUTPUT.she [RESOURCES.rcc]\n";
        return 2;
    }
    const std::filesystem::path sourcePath = argv[1];
    const auto sourceText = readFile(sourcePath);
    if (!sourceText) {
        std::cerr << sourcePath.string() << ": cannot read\n";
        return 1;
    }
    varnick::skin::SkinSource source = varnick::skin::parseSkinSource(*sourceText);
    if (!source.error.empty()) {
        std::cerr << sourcePath.string() << ": " << source.error << '\n';
        return 1;
    }
    if (argc == 4) {
        const auto resources = readFile(argv[3]);
        if (!resources || resources->empty()) {
            std::cerr << argv[3] << ": cannot read\n";
            return 1;
        }
        source.skin.resources = *resources;
    }
    const std::string packed = varnick::skin::packSkin(source.skin);
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(packed.data(), static_cast<std::streamsize>(packed.size()));
    out.close();
    if (!out) {
        std::cerr << argv[2] << ": cannot write\n";
        return 1;
    }
    return 0;
}
