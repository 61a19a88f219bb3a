#pragma once

#include "transfer/ConnectionIndicator.h"

namespace zv {

// What the task session asks of the window that shows it: the connection picture, the
// refresh-speed setting and the done sound.
class TaskSessionView : public ConnectionIndicator {
public:
    // The refresh-speed setting's selected item (-1 for none), read at every start.
    virtual int refreshSpeedItem() const = 0;
    // A worker's run has ended done.
    virtual void PlayDoneSound() = 0;
    // A task joined or left the queue of starts waiting under the cap: places changed.
    virtual void queueChanged() {}
};

} // namespace zv
