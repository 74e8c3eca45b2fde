#include "host/controls/property_bag.h"

#include <algorithm>
#include <charconv>

namespace orvalis {

namespace {

bool SameKey(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

std::string Trim(std::string_view s) {
    size_t begin = s.find_first_not_of(" \t");
    if (begin == std::string_view::npos) return {};
    size_t end = s.find_last_not_of(" \t");
    return std::string(s.substr(begin, end - begin + 1));
}

std::optional<int64_t> ParseInteger(std::string_view text) {
    std::string t = Trim(text);
    int64_t value = 0;
    const char* first = t.data();
    const char* last = t.data() + t.size();
    if (first != last && *first == '+') ++first;
    auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last || first == last) return std::nullopt;
    return value;
}

}  // namespace

const PropertyValue* PropertyBag::Read(std::string_view key) const {
    for (const auto& [name, value] : entries_)
        if (SameKey(name, key)) return &value;
    return nullptr;
}

void PropertyBag::Write(std::string_view key, PropertyValue value) {
    for (auto& [name, stored] : entries_) {
        if (SameKey(name, key)) {
            stored = std::move(value);
            return;
        }
    }
    entries_.emplace_back(std::string(key), std::move(value));
}

void PropertyBag::Erase(std::string_view key) {
    std::erase_if(entries_, [&](const auto& entry) { return SameKey(entry.first, key); });
}

std::optional<bool> ToBoolean(const PropertyValue& v) {
    if (const bool* b = std::get_if<bool>(&v)) return *b;
    if (const int64_t* i = std::get_if<int64_t>(&v)) return *i != 0;
    if (const std::string* s = std::get_if<std::string>(&v)) {
        std::string t = Trim(*s);
        if (SameKey(t, "true")) return true;
        if (SameKey(t, "false")) return false;
        if (auto i = ParseInteger(t)) return *i != 0;
    }
    return std::nullopt;
}

std::optional<std::string> ToText(const PropertyValue& v) {
    if (const std::string* s = std::get_if<std::string>(&v)) return *s;
    if (const bool* b = std::get_if<bool>(&v)) return std::string(*b ? "True" : "False");
    if (const int64_t* i = std::get_if<int64_t>(&v)) return std::to_string(*i);
    return std::nullopt;
}

std::optional<int64_t> ToInteger(const PropertyValue& v, int64_t min, int64_t max) {
    std::optional<int64_t> value;
    if (const int64_t* i = std::get_if<int64_t>(&v)) value = *i;
    if (const bool* b = std::get_if<bool>(&v)) value = *b ? -1 : 0;  // a stored True reads as -1
    if (const std::string* s = std::get_if<std::string>(&v)) value = ParseInteger(*s);
    if (!value || *value < min || *value > max) return std::nullopt;
    return value;
}

}  // namespace orvalis
