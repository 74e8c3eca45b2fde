// The named values a container keeps per control instance to restore it later. Names are compared
// without regard to (ASCII) case; the order of first writes is kept.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace orvalis {

// A caption font: face name (UTF-8), size in points, weight, style flags and character set.
struct ButtonFont {
    std::string name;
    double size = 0;
    int16_t weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    int16_t charset = 0;
    bool operator==(const ButtonFont&) const = default;
};

using PropertyValue = std::variant<bool, int64_t, std::string, ButtonFont>;

class PropertyStore {
public:
    virtual ~PropertyStore() = default;
    virtual const PropertyValue* Read(std::string_view key) const = 0;
    virtual void Write(std::string_view key, PropertyValue value) = 0;
    virtual void Erase(std::string_view key) = 0;
};

class PropertyBag : public PropertyStore {
public:
    const PropertyValue* Read(std::string_view key) const override;
    void Write(std::string_view key, PropertyValue value) override;
    void Erase(std::string_view key) override;

    const std::vector<std::pair<std::string, PropertyValue>>& Entries() const { return entries_; }

private:
    std::vector<std::pair<std::string, PropertyValue>> entries_;
};

// Conversions a loaded value goes through; nothing when the value does not fit the type.
std::optional<bool> ToBoolean(const PropertyValue& v);
std::optional<std::string> ToText(const PropertyValue& v);
std::optional<int64_t> ToInteger(const PropertyValue& v, int64_t min, int64_t max);

}  // namespace orvalis
