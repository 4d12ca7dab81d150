// What the core asks of the windows above it. The editor implements these; the
// batch tool and the tests implement them too.
#pragma once

#include <string>

namespace quilmark {

class classGAFAnimation;

// The picture a message box shows beside its text.
enum class MessageIcon { Information, None };

// Message boxes with an OK button.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void ShowMessage(const std::string& text, const std::string& title = "Quilmark",
                           MessageIcon icon = MessageIcon::Information) = 0;
};

// Shows an animation in the main window with its first frame selected.
class AnimationDisplay {
 public:
  virtual ~AnimationDisplay() = default;
  virtual void DisplayAnimation(classGAFAnimation& animation) = 0;
};

}  // namespace quilmark
