#include "framework/cmd_target.h"

const MessageMapEntry* FindMessageMapEntry(const MessageMap* map, UINT message, UINT code,
                                           UINT id) {
  for (; map != nullptr; map = map->base ? map->base() : nullptr) {
    for (const MessageMapEntry* entry = map->entries; entry->call != nullptr; ++entry) {
      if (entry->message == message && entry->code == code && entry->id == id) return entry;
    }
  }
  return nullptr;
}

const MessageMap* CCmdTarget::GetThisMessageMap() {
  static const MessageMapEntry entries[] = {{0, 0, 0, nullptr}};
  static const MessageMap map = {nullptr, entries};
  return &map;
}

const MessageMap* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

BOOL CCmdTarget::OnCmdMsg(UINT id, UINT code) {
  const MessageMapEntry* entry = FindMessageMapEntry(GetMessageMap(), WM_COMMAND, code, id);
  if (entry == nullptr) return FALSE;
  entry->call(this);
  return TRUE;
}
