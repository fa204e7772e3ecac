// The message pump as the core sees it: a way to let the program's windows handle what is
// pending while a tick runs.
#pragma once

namespace kestrune {

// The program's pending window messages, processed once ("one pass of the message loop").
class MessagePump {
  public:
    virtual ~MessagePump() = default;
    virtual void DoEvents() = 0;
};

}  // namespace kestrune
