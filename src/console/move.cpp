#include "console/move.h"

#include <charconv>

#include "console/send.h"

namespace tolv {

namespace {

constexpr char kEsc = 27;

void add(MoveBytes& out, char c) {
  if (out.size < kMaxMoveBytes) out.bytes[out.size++] = c;
}

void add_number(MoveBytes& out, int n) {
  auto result = std::to_chars(out.bytes + out.size, out.bytes + kMaxMoveBytes, n);
  out.size = static_cast<size_t>(result.ptr - out.bytes);
}

// ESC [ n final; the count is written even when it is 1.
MoveBytes csi(int n, char final) {
  MoveBytes out;
  add(out, kEsc);
  add(out, '[');
  add_number(out, n);
  add(out, final);
  return out;
}

MoveBytes terminal_move(Cursor from, Cursor to) {
  MoveBytes out;
  if (to.row == from.row) {
    if (to.column == from.column) return out;
    if (to.column == 1) {
      add(out, '\r');
      return out;
    }
    if (to.column > from.column) return csi(to.column - from.column, 'C');
    return csi(from.column - to.column, 'D');
  }
  if (to.column == from.column) {
    if (to.row > from.row) return csi(to.row - from.row, 'B');
    return csi(from.row - to.row, 'A');
  }
  if (to.column == 1 && to.row == from.row + 1) {
    add(out, '\r');
    add(out, '\n');
    return out;
  }
  add(out, kEsc);
  add(out, '[');
  add_number(out, to.row);
  add(out, ';');
  add_number(out, to.column);
  add(out, 'H');
  return out;
}

}  // namespace

MoveBytes move_bytes(bool redirected, Cursor from, Cursor to) {
  if (!redirected) return terminal_move(from, to);
  MoveBytes out;
  if (to.row == from.row + 1) add(out, '\n');
  return out;
}

void move_to(ConsoleState& console, Cursor to) {
  MoveBytes bytes = move_bytes(console.redirected, console.cursor, to);
  if (bytes.size > 0) send(console, bytes.view());
  console.cursor = to;
}

}  // namespace tolv
