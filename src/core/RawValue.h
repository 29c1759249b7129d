#pragma once

#include <QHashFunctions>
#include <QLatin1String>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <type_traits>
#include <utility>

// Closed sets that are stored or shown keep one table from case to raw text; the raw text is
// what is persisted. Each such enum specialises RawValueTable with a constexpr `entries` array
// listed in declaration order, which is also the order in which the cases are offered.
template <typename E>
struct RawValueTable;

template <typename E>
concept HasRawValues = std::is_enum_v<E> && requires { RawValueTable<E>::entries; };

// The closed sets serve as keys of QHash and QSet.
template <HasRawValues E>
size_t qHash(E value, size_t seed = 0) noexcept
{
    return ::qHash(static_cast<std::underlying_type_t<E>>(value), seed);
}

template <typename E>
QString rawValue(E value)
{
    for (const auto &[kind, raw] : RawValueTable<E>::entries) {
        if (kind == value)
            return QString::fromLatin1(raw);
    }
    return {};
}

// Accepts exactly the raw texts of the table, letter case included; anything else is nothing.
template <typename E>
std::optional<E> fromRawValue(QStringView raw)
{
    for (const auto &[kind, text] : RawValueTable<E>::entries) {
        if (raw == QLatin1String(text))
            return kind;
    }
    return std::nullopt;
}

template <typename E>
constexpr auto allCases()
{
    constexpr auto &entries = RawValueTable<E>::entries;
    std::array<E, entries.size()> cases{};
    for (std::size_t i = 0; i < entries.size(); ++i)
        cases[i] = entries[i].first;
    return cases;
}
