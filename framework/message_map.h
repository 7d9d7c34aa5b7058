// Message maps: static tables that bind window messages and commands to member
// handlers, each chained to its base class's table.
//
// Use:
//  1. Put DECLARE_MESSAGE_MAP() in a class derived from CCmdTarget.
//  2. In its source file, list the bindings between
//     BEGIN_MESSAGE_MAP(Class, BaseClass) and END_MESSAGE_MAP(), one a line.
//  3. Lookups walk the table top to bottom, then the base class's table.
#pragma once

#include <windows.h>

#include <type_traits>

class CCmdTarget;

struct MessageMapEntry {
  UINT message;  // WM_xxx; WM_COMMAND for commands and control notifications
  UINT code;     // notification code of a WM_COMMAND entry (0: a command)
  UINT id;       // command or control identifier of a WM_COMMAND entry
  LRESULT (*call)(CCmdTarget* target);
};

struct MessageMap {
  const MessageMap* (*base)();  // null for the root of the chain
  const MessageMapEntry* entries;  // ends with an entry whose call is null
};

// The first entry for (message, code, id) in the map or its bases, or null.
const MessageMapEntry* FindMessageMapEntry(const MessageMap* map, UINT message, UINT code,
                                           UINT id);

namespace message_map_detail {

template <class Member>
struct HandlerOf;
template <class Class, class Result>
struct HandlerOf<Result (Class::*)()> {
  using Target = Class;
  using Value = Result;
};

// Calls a handler that takes no arguments; its result, if any, becomes the
// message's result.
template <auto handler>
LRESULT Call(CCmdTarget* target) {
  using Handler = HandlerOf<decltype(handler)>;
  auto* self = static_cast<typename Handler::Target*>(target);
  if constexpr (std::is_void_v<typename Handler::Value>) {
    (self->*handler)();
    return 0;
  } else {
    return reinterpret_cast<LRESULT>((self->*handler)());
  }
}

}  // namespace message_map_detail

#define DECLARE_MESSAGE_MAP()                    \
 protected:                                      \
  static const MessageMap* GetThisMessageMap();  \
  const MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                  \
  const MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const MessageMap* theClass::GetThisMessageMap() {                             \
    using ThisClass [[maybe_unused]] = theClass;                                \
    using TheBaseClass = baseClass;                                             \
    static const MessageMapEntry entries[] = {

#define END_MESSAGE_MAP()                                                  \
  {0, 0, 0, nullptr}};                                                     \
  static const MessageMap map = {&TheBaseClass::GetThisMessageMap, entries}; \
  return &map;                                                             \
  }

// void OnPaint()
#define ON_WM_PAINT() \
  {WM_PAINT, 0, 0, &message_map_detail::Call<&ThisClass::OnPaint>},

// HCURSOR OnQueryDragIcon()
#define ON_WM_QUERYDRAGICON() \
  {WM_QUERYDRAGICON, 0, 0, &message_map_detail::Call<&ThisClass::OnQueryDragIcon>},

// void OnCommandName(): a command such as ID_HELP, from a key, menu or button
#define ON_COMMAND(id, handler) \
  {WM_COMMAND, 0, (id), &message_map_detail::Call<handler>},

// void OnButtonName(): BN_CLICKED from the button with this control identifier
#define ON_BN_CLICKED(id, handler) \
  {WM_COMMAND, BN_CLICKED, (id), &message_map_detail::Call<handler>},
