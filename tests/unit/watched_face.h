// The full-screen face, watched by the tests: every call reaches the real
// face, and the drill it last showed is kept for the test to look at.
#pragma once
#include <optional>
#include <string>

#include "fullscreen/full_face.h"

namespace pentrill {

// The full-screen face, noting the drill it shows.
class WatchedFace : public FullScreenFace {
 public:
  using FullScreenFace::FullScreenFace;

  DrillView& drillView() override {
    drillSpy_.real = &FullScreenFace::drillView();
    return drillSpy_;
  }
  // The drill as it stood when it last asked something (its order, its start
  // or a question); none before the first drill.
  const std::optional<Drill>& drill() const { return drillSpy_.shown; }

 private:
  struct DrillSpy : DrillView {
    DrillView* real = nullptr;
    std::optional<Drill> shown;
    DrillOrder askOrder(const Drill& d) override {
      shown.emplace(d);
      return real->askOrder(d);
    }
    std::string askStartNumber(const Drill& d, bool refused) override { return real->askStartNumber(d, refused); }
    void questionAsked(const Drill& d) override {
      shown.emplace(d);
      real->questionAsked(d);
    }
    DrillCommand readCommand(const Drill& d) override { return real->readCommand(d); }
    void peekChanged(const Drill& d) override { real->peekChanged(d); }
    void answerRevealed(const Drill& d) override { real->answerRevealed(d); }
    void figureAsked(const Drill& d) override { real->figureAsked(d); }
    void redrawAsked(const Drill& d) override { real->redrawAsked(d); }
    void answeredRight(const Drill& d) override { real->answeredRight(d); }
    void answeredWrong(const Drill& d, char correct) override { real->answeredWrong(d, correct); }
    void questionLeft(const Drill& d) override { real->questionLeft(d); }
    bool askAnotherDrill(const Drill& d) override { return real->askAnotherDrill(d); }
  };
  DrillSpy drillSpy_;
};

}  // namespace pentrill
