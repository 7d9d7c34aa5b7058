// An object that commands can be routed to through its message map.
#pragma once

#include "framework/message_map.h"
#include "framework/object.h"

class CCmdTarget : public CObject {
 public:
  // Runs the handler bound to command `id` with notification `code`; FALSE
  // when this target's map has none.
  virtual BOOL OnCmdMsg(UINT id, UINT code);

 protected:
  static const MessageMap* GetThisMessageMap();
  virtual const MessageMap* GetMessageMap() const;
};
