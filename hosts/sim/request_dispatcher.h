// The simulated Finder's requests: one JSON object per input line, turned
// into calls on the extension (or on the host itself), each answered by one
// reply line written after every event the request caused. Kept apart from
// any I/O so that it can be driven line by line.
#pragma once

#include <simdjson.h>

#include <functional>
#include <memory>
#include <string_view>

#include "extension/finder_sync.h"
#include "hosts/sim/line_output.h"
#include "hosts/sim/sim_controller.h"

namespace tessvik::sim {

// Requests and their replies:
//   {"request":"tick"}                 fires the polling timer now   {"reply":"tick"}
//   {"request":"release"}              drops the extension           {"reply":"release"}
//   {"request":"quit"}                                               {"reply":"quit"}
//   {"request":"badge","path":P}       asks the badge of P           {"reply":"badge"}
//   {"request":"menu","kind":K}        K from 0 to 3                 {"reply":"menu","menu":...}
//   {"request":"select","paths":[...]|null}                          {"reply":"select"}
//   {"request":"share"}                runs the menu item's action   {"reply":"share"}
//   {"request":"toolbar"}              {"reply":"toolbar","name":N,"toolTip":T}
// Anything else, and a request to the extension once it is released, gets
// {"reply":"error","message":M} with M in French; the session goes on.
//
// A path P stands for the file URL of P, a folder URL when P ends in "/".
// Main loop only; nothing here throws.
class RequestDispatcher {
 public:
  enum class Outcome { kGoOn, kQuit };

  // Takes the extension over: `release` destroys it. `fireTimer` fires the
  // run loop's timers now; `controller` and `out` must outlive this object.
  RequestDispatcher(std::unique_ptr<FinderSync> extension, SimController& controller,
                    std::function<void()> fireTimer, LineOutput& out);
  ~RequestDispatcher();

  // Runs the request on `line` (without its newline) and writes its reply.
  // kQuit once the quit request has been answered.
  Outcome handle(std::string_view line);

  // Answers a line too long to be read at all.
  void rejectOverlongLine();

 private:
  void reply(std::string_view name);
  void error(std::string_view message);
  bool extensionGone();
  void badge(simdjson::dom::object request);
  void menu(simdjson::dom::object request);
  void select(simdjson::dom::object request);
  void toolbar();

  std::unique_ptr<FinderSync> extension_;
  SimController& controller_;
  std::function<void()> fireTimer_;
  LineOutput& out_;
  simdjson::dom::parser parser_;
};

}  // namespace tessvik::sim
