// The program's one sound: the alert on a wrong answer.
#pragma once

namespace pentrill {

class Sound {
 public:
  virtual ~Sound() = default;
  // Starts the alert and returns at once; silent where no sound can be made.
  virtual void playAlert() = 0;
};

class SilentSound : public Sound {
 public:
  void playAlert() override {}
};

}  // namespace pentrill
