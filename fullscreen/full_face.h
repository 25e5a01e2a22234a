// The full-screen face: the program on the 100 x 43 grid in colour, with
// keys and clicks. It shows the state the flow hands it and turns input
// into commands; it decides nothing.
#pragma once
#include "app/app_view.h"
#include "fullscreen/command_bar.h"
#include "fullscreen/drill_screen.h"
#include "fullscreen/exam_screen.h"
#include "platform/platform.h"

namespace pentrill {

class FullScreenFace : public AppView {
 public:
  explicit FullScreenFace(Platform& platform) : platform_(platform), drill_(platform), exam_(platform) {}

  void start() override;
  MenuChoice menu(Session& session) override;
  void showHelp(const Session& session) override;
  void showMessage(const std::vector<std::string>& lines) override;
  MissedChoice showProgress(const StudyReport& report, bool missedOffered) override;
  MissedChoice showMissed(const std::vector<MissedQuestion>& missed) override;
  const PoolEdition* choosePool(const std::vector<PoolOffer>& offers, const PoolEdition& inUse) override;
  void preparingExam() override { exam_.showPreparingNotice(); }
  DrillView& drillView() override { return drill_; }
  ExamView& examView() override { return exam_; }
  void farewell() override;

 private:
  void drawMenu(Session& session);
  void drawStudyRows(Session& session);

  Platform& platform_;
  FullDrillView drill_;
  FullExamView exam_;
  ClickMap<MenuChoice> menuClicks_;
};

// The progress screen in bright white on blue.
void drawProgressScreen(Console& console, const StudyReport& report);

}  // namespace pentrill
