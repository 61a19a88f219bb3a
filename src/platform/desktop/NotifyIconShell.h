#pragma once

#include "platform/desktop/NotifyIconData.h"

class QMenu;

namespace zv {

// The desktop's notification area. An icon is known by the record's hWnd and uID; every
// call takes the whole record. Calls return false when they fail (no notification area,
// an icon added twice, an icon that is not there); nothing else is reported.
class NotifyIconShell {
public:
    virtual ~NotifyIconShell() = default;

    virtual bool add(const NotifyIconData& record) = 0;
    virtual bool modify(const NotifyIconData& record) = 0;
    virtual bool remove(const NotifyIconData& record) = 0;

    // The icon's popup menu, for trays that show an icon's menu themselves instead of
    // reporting the right button; nullptr for none. May come before the icon is added.
    virtual void setMenu(const NotifyIconData& record, QMenu* menu) = 0;

    // Whether a notification area exists. A true answer means an added icon can be seen
    // there (a window hidden to it can be found again).
    virtual bool hasNotificationArea() = 0;
};

} // namespace zv
