#include "platform/PathList.h"

#include <limits>
#include <stdexcept>
#include <utility>

void PathList::reserve(std::size_t entries, std::size_t nameBytes)
{
    m_entries.reserve(entries);
    m_names.reserve(nameBytes);
}

void PathList::startFolder(std::string prefix)
{
    if (m_prefixes.size() > std::numeric_limits<std::uint16_t>::max())
        throw std::length_error("PathList: too many folders");
    m_prefixes.push_back(std::move(prefix));
}

void PathList::append(std::string_view name)
{
    if (m_prefixes.empty())
        startFolder({});
    if (name.size() > std::numeric_limits<std::uint16_t>::max() || m_names.size() + name.size() > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("PathList: name too long, or too many names");
    m_entries.push_back({ static_cast<std::uint32_t>(m_names.size()), static_cast<std::uint16_t>(name.size()), static_cast<std::uint16_t>(m_prefixes.size() - 1) });
    m_names.append(name);
}

std::string PathList::operator[](std::size_t index) const
{
    const Entry& entry = m_entries[index];
    const std::string& prefix = m_prefixes[entry.folder];
    std::string path;
    path.reserve(prefix.size() + entry.nameLength);
    path.append(prefix).append(m_names, entry.nameOffset, entry.nameLength);
    return path;
}

std::string PathList::at(std::size_t index) const
{
    if (index >= m_entries.size())
        throw std::out_of_range("PathList::at");
    return (*this)[index];
}

std::vector<std::string> PathList::paths() const
{
    std::vector<std::string> out;
    out.reserve(m_entries.size());
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        out.push_back((*this)[i]);
    return out;
}

void PathList::swapEntries(std::size_t a, std::size_t b)
{
    std::swap(m_entries[a], m_entries[b]);
}
