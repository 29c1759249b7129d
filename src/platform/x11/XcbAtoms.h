#pragma once

#include <QByteArray>

#include <cstdint>

struct xcb_connection_t;

// The atoms of Qt's own X connection, for the filters that answer or watch on it.
namespace XcbAtoms {

// The atom of the name, made when the server knows none yet; XCB_ATOM_NONE when the server
// did not answer.
std::uint32_t intern(xcb_connection_t *connection, const QByteArray &name);

} // namespace XcbAtoms
