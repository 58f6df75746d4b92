#include "core/definition_check.h"

#include <yaml-cpp/yaml.h>

#include <vector>

namespace varnick {

std::optional<std::string> definitionWeaponName(std::string_view definition) {
    std::vector<YAML::Node> documents;
    try {
        documents = YAML::LoadAll(std::string(definition));
    } catch (const YAML::Exception&) {
        return std::nullopt;
    }
    if (documents.size() != 1 || !documents.front().IsMap() || documents.front().size() != 1) {
        return std::nullopt;
    }
    // A null key ("~", "null" or nothing before the colon) is no name the plugin can list.
    const YAML::Node key = documents.front().begin()->first;
    if (!key.IsScalar() || key.Scalar().empty()) {
        return std::nullopt;
    }
    return key.Scalar();
}

}  // namespace varnick
