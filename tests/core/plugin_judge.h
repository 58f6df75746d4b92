#pragma once

#include <cstdio>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace varnick::test {

// What the plugin's reader (SnakeYAML) makes of one weapons file.
struct PluginReading {
    bool readable = true;
    std::string error;                                                 // when not readable
    std::vector<std::string> weapons;                                  // the top-level keys as text, in file order
    std::map<std::string, std::map<std::string, std::string>> leaves;  // weapon -> dotted path -> value as text

    bool operator==(const PluginReading&) const = default;
};

inline std::string fromHex(std::string_view hex) {
    std::string text;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        text += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    }
    return text;
}

// Reads the files with the plugin's reader in one Java run, decoding them in the charset (UTF-8, GBK) unless
// they begin with the UTF-8 byte-order mark; returns one reading per file, in order.
inline std::vector<PluginReading> judgeFiles(const std::string& charset,
                                             const std::vector<std::filesystem::path>& files) {
    std::vector<PluginReading> readings;
    if (files.empty()) {
        return readings;
    }
    std::string command = std::string("'") + VARNICK_JAVA + "' -Xshare:auto -cp '" + VARNICK_JUDGE_CLASSPATH +
                          "' PluginReader '" + charset + "'";
    for (const auto& file : files) {
        command += " '" + file.string() + "'";
    }
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        throw std::runtime_error("cannot start the plugin reader");
    }
    std::string output;
    char buffer[65536];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        output.append(buffer, got);
    }
    if (pclose(pipe) != 0) {
        throw std::runtime_error("the plugin reader failed: " + output.substr(0, 2000));
    }
    std::size_t start = 0;
    while (start < output.size()) {
        const std::size_t end = output.find('\n', start);
        const std::string_view line = std::string_view(output).substr(start, end - start);
        start = end == std::string::npos ? output.size() : end + 1;
        std::vector<std::string_view> fields;
        for (std::size_t from = 0;;) {
            const std::size_t tab = line.find('\t', from);
            fields.push_back(line.substr(from, tab - from));
            if (tab == std::string_view::npos) {
                break;
            }
            from = tab + 1;
        }
        if (fields[0] == "F") {
            readings.emplace_back();
        } else if (fields[0] == "E") {
            readings.back().readable = false;
            readings.back().error = fromHex(fields[1]);
        } else if (fields[0] == "L" && fields.size() == 4) {
            PluginReading& reading = readings.back();
            const std::string weapon = fromHex(fields[1]);
            if (reading.weapons.empty() || reading.weapons.back() != weapon) {
                reading.weapons.push_back(weapon);
            }
            reading.leaves[weapon][fromHex(fields[2])] = fromHex(fields[3]);
        }
    }
    if (readings.size() != files.size()) {
        throw std::runtime_error("the plugin reader skipped files");
    }
    return readings;
}

}  // namespace varnick::test
