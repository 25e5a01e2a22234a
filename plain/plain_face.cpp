#include "plain/plain_face.h"

#include <cctype>
#include <functional>
#include <span>
#include <utility>

#include "app/command_line.h"
#include "app/pool_term.h"
#include "screen/calendar.h"
#include "screen/text.h"

namespace pentrill {

namespace {

constexpr std::string_view kOrderPrompt = "Do you want the questions to be presented [R]andomly or in [S]equence?";

// "P practice exam, R study session": a table's commands as typed, skipping
// the answers (written once as "A, B, C or D") and those not offered.
template <typename Command, typename Offered>
std::string commandList(std::span<const CommandInfo<Command>> table, Offered offered) {
  std::string list;
  for (const CommandInfo<Command>& entry : table) {
    if ((entry.lineKey >= 'A' && entry.lineKey <= 'D' && entry.label.size() == 1) || !offered(entry.command))
      continue;
    list += list.empty() ? "" : ", ";
    list += entry.lineKey;
    list += ' ';
    list += entry.label;
  }
  return list;
}

// The help lines of a table: "  P: practice exam".
template <typename Command>
void helpLines(std::span<const CommandInfo<Command>> table, std::vector<std::string>& lines,
               const std::function<bool(Command)>& offered = [](Command) { return true; }) {
  for (const CommandInfo<Command>& entry : table)
    if (!entry.help.empty() && offered(entry.command)) lines.push_back("  " + std::string(1, entry.lineKey) + ": " + std::string(entry.help));
}

std::string firstWord(std::string_view line) {
  const size_t first = line.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const size_t end = line.find_first_of(" \t", first);
  return std::string(line.substr(first, end == std::string_view::npos ? end : end - first));
}

bool isNumber(std::string_view word) {
  return !word.empty() && word.size() <= 4 &&
         std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The text of the answer shown under a letter: "C. 50 ohms".
std::string answerText(const AskedQuestion& asked, char letter) {
  return std::string{letter, '.', ' '}.append(asked.answer(answerPosition(letter)));
}

// "C: 50 ohms.": the right answer said after a wrong one or asked for.
std::string rightAnswerText(const AskedQuestion& asked, char letter) {
  std::string text = std::string{letter, ':', ' '}.append(asked.answer(answerPosition(letter)));
  if (!text.ends_with('.')) text += '.';
  return text;
}

template <typename Command>
std::string allCommands(std::span<const CommandInfo<Command>> table) {
  return commandList<Command>(table, [](Command) { return true; });
}

std::string countText(float count) { return plainNumberText(static_cast<long long>(count)); }

}  // namespace

std::string PlainFace::read() {
  std::optional<std::string> line = lines_.readLine();
  if (!line) throw EndOfInput{};
  return std::move(*line);
}

bool PlainFace::askYesNo(std::string_view prompt) {
  write(prompt);
  for (;;) {
    const std::string word = firstWord(read());
    const char letter = word.empty() ? '\0' : upperLetter(word[0]);
    if (letter == 'Y') return true;
    if (letter == 'N') return false;
    write("Type Y for yes or N for no.");
  }
}

MenuChoice PlainFace::menu(Session& session) {
  const PoolEdition& edition = session.edition();
  write("Main menu. " + poolLabel(edition) + ".");
  for (std::string_view line : edition.menuLines) write(line);
  if (const std::optional<std::string> notice = expiryNotice(edition.name, localDate(clock_.now())))
    write(*notice);
  recordCheckEnded(session.record, true);  // lines cannot be taken back: the rows come after the check
  const StudyRows rows = studyRows(session);
  if (rows.chanceLine) write(*rows.chanceLine);
  if (rows.recordOff) write(session.record.offLine());
  auto offered = [&session](MenuCommand command) { return menuCommandOffered(command, session); };
  const std::string commands =
      "Type 0 to 9 for a drill, " + commandList<MenuCommand>(kMenuCommands, offered) + ".";
  write(commands);
  for (;;) {
    const std::string word = firstWord(read());
    if (word.size() == 1 && word[0] >= '0' && word[0] <= '9') return {MenuCommand::Drill, word[0] - '0'};
    if (const std::optional<MenuCommand> command = commandForLine<MenuCommand>(kMenuCommands, word))
      if (offered(*command)) return {*command};
    write(commands);
  }
}

const PoolEdition* PlainFace::choosePool(const std::vector<PoolOffer>& offers, const PoolEdition& inUse) {
  write("The question pools:");
  for (size_t i = 0; i < offers.size(); ++i) {
    const PoolOffer& offer = offers[i];
    const PoolEdition& edition = *offer.edition;
    write(plainNumberText(static_cast<long long>(i) + 1) + ". " + poolLabel(edition) + ": " +
          plainNumberText(offer.questions) + " questions; exam of " + plainNumberText(edition.examQuestions()) +
          ", " + plainNumberText(edition.passMark) + " right to pass; " + offer.status +
          (&edition == &inUse ? "; in use." : "."));
  }
  write("Type 1 to " + plainNumberText(static_cast<long long>(offers.size())) +
        " to choose a pool, or Enter to keep the one in use.");
  const std::string word = firstWord(read());
  if (word.size() != 1 || word[0] < '1' || word[0] >= '1' + static_cast<int>(offers.size())) return nullptr;
  return offers[static_cast<size_t>(word[0] - '1')].edition;
}

void PlainFace::showHelp(const Session& session) {
  std::vector<std::string> lines = {
      "Pentrill helps you prepare for the amateur radio licence exam. Every command is a line you type.",
      "At the menu:", "  0 to 9: drill the subelement of that number, in random order or in sequence"};
  helpLines<MenuCommand>(kMenuCommands, lines,
                         [&session](MenuCommand command) { return menuCommandOffered(command, session); });
  lines.push_back("In a drill, after a question:");
  helpLines<DrillCommand>(kDrillCommands, lines);
  lines.push_back("  A wrong answer sounds the alert and the question comes back later.");
  lines.push_back("In the practice exam:");
  helpLines<ExamCommand>(kExamCommands, lines);
  lines.push_back("  a number: go to the question of that number");
  lines.push_back("After the exam's results, and at T for the last exam:");
  lines.push_back("  M: the questions you missed or skipped, with the right answers");
  lines.push_back("  D: a drill of those questions");
  for (const std::string& line : lines) write(line);
  for (const std::string& line : todaysPoolLines(session.edition(), localDate(clock_.now()))) write(line);
}

void PlainFace::showMessage(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) write(line);
}

// M or D where the missed questions are offered; any other line goes on.
MissedChoice PlainFace::askMissedChoice(bool missedOffered, std::string_view where) {
  if (!missedOffered) return MissedChoice::Done;
  write("Type M for the questions you missed" + std::string(where) +
        " with the right answers, D for a drill of them, or Enter to go on.");
  const std::string word = firstWord(read());
  const char letter = word.empty() ? '\0' : upperLetter(word[0]);
  return letter == 'M' ? MissedChoice::List : letter == 'D' ? MissedChoice::Drill : MissedChoice::Done;
}

MissedChoice PlainFace::showMissed(const std::vector<MissedQuestion>& missed) {
  write("The questions you missed in the practice exam: " + plainNumberText(static_cast<long long>(missed.size())) +
        ".");
  for (const MissedQuestion& question : missed) {
    const AskedQuestion& asked = question.asked;
    write("Question " + plainNumberText(question.number) + ", " + std::string(asked.question->id) + ".");
    write(trimBlanks(asked.question->text));
    write(question.given ? "Your answer: " + answerText(asked, *question.given) : std::string("Your answer: skipped."));
    write("Right answer: " + answerText(asked, asked.correct));
  }
  write("Type D for a drill of these questions, or Enter to go back.");
  const std::string word = firstWord(read());
  return !word.empty() && upperLetter(word[0]) == 'D' ? MissedChoice::Drill : MissedChoice::Done;
}

MissedChoice PlainFace::showProgress(const StudyReport& report, bool missedOffered) {
  writeLines(statsText(report));
  return askMissedChoice(missedOffered, " in the last exam");
}

void PlainFace::farewell() { write("Thanks for playing.  Have a real nice day."); }

void PlainFace::drillStarted(const Drill& drill) { write(drill.title() + "."); }

DrillOrder PlainFace::askOrder(const Drill&) {
  write(kOrderPrompt);
  for (;;) {
    const std::string word = firstWord(read());
    const char letter = word.empty() ? '\0' : upperLetter(word[0]);
    if (letter == 'R') return DrillOrder::Random;
    if (letter == 'S') return DrillOrder::Sequence;
    write("Type R for random order or S for the questions in sequence.");
  }
}

std::string PlainFace::askStartNumber(const Drill& drill, bool refused) {
  const std::string range = "1 to " + plainNumberText(drill.size());
  if (refused) write("There is no such question here; the questions are " + range + ".");
  write("Start with Question (" + range + "):");
  return read();
}

// Each line of a text, leaving out empty ones.
void PlainFace::writeLines(std::string_view text) {
  while (!text.empty()) {
    const size_t end = text.find('\n');
    if (end != 0) write(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

void PlainFace::showFigure(const Figure* figure) {
  if (figure != nullptr) writeLines(figure->description);
}

// F: the description again, and the picture window where one can open.
void PlainFace::figureAsked(const PoolEdition& edition, const Question& question) {
  const Figure* figure = figureOf(edition, question);
  if (figure == nullptr) {
    write("This question has no figure.");
    return;
  }
  showFigure(figure);
  if (!figure_.handle) pentrill::showFigure(windows_, *figure, figure_);
}

void PlainFace::writeQuestion(const AskedQuestion& asked, const PoolEdition& edition) {
  write(trimBlanks(asked.question->text));
  showFigure(figureOf(edition, *asked.question));
  for (int position = 0; position < kAnswerCount; ++position) write(answerText(asked, answerLetter(position)));
}

// In sequence a question keeps its number in the subelement; at random the
// count says how far the drill has come (a question missed keeps its place).
void PlainFace::questionAsked(const Drill& drill) {
  const AskedQuestion& asked = drill.question();
  const int position = drill.order() == DrillOrder::Sequence ? drill.shownNumber() : drill.doneCount() + 1;
  std::string header = "Question " + plainNumberText(position) + " of " + plainNumberText(drill.size()) + ", " +
                       std::string(asked.question->id) + ".";
  if (drill.peekOn()) header += " Peek: " + std::string(1, asked.correct) + ".";
  write(header);
  writeQuestion(asked, drill.session().edition());
  write("Answer A, B, C or D, or " + allCommands<DrillCommand>(kDrillCommands) +
        ".");
}

DrillCommand PlainFace::readCommand(const Drill&) {
  for (;;) {
    if (const std::optional<DrillCommand> command = commandForLine<DrillCommand>(kDrillCommands, read()))
      return *command;
    write("Type A, B, C or D to answer, or " +
          allCommands<DrillCommand>(kDrillCommands) + ".");
  }
}

void PlainFace::peekChanged(const Drill& drill) {
  write(drill.peekOn() ? "Peek on. The right answer is " + std::string(1, drill.question().correct) + "."
                       : std::string("Peek off."));
}

void PlainFace::answerRevealed(const Drill& drill) {
  const AskedQuestion& asked = drill.question();
  write("The right answer is " + rightAnswerText(asked, asked.correct));
  const Hints& hints = drill.session().hints;
  if (const std::optional<HintParts> hint = hints.find(asked.question->id)) {
    if (const std::string text = trimBlanks(hint->text); !text.empty()) write("Hint: " + text);
    showHintPicture(hints, *hint);
  }
}

// The picture a hint names, in a window where one can open, and its name
// said; false when the hint names none that can be read.
bool PlainFace::showHintPicture(const Hints& hints, const HintParts& hint) {
  const std::optional<HintPicture> picture = hints.pictureOf(hint);
  if (!picture) return false;
  showHintPictureWindow(windows_, picture->bitmap, picture->size.width, picture->size.height, hintWindow_);
  write("The hint's picture: " + picture->caption + (hintWindow_ != 0 ? ", shown in a window." : "."));
  return true;
}

// F: the question's figure, or else the picture its hint names.
void PlainFace::figureAsked(const Drill& drill) {
  const PoolEdition& edition = drill.session().edition();
  const Question& question = *drill.question().question;
  if (figureOf(edition, question) == nullptr)
    if (const std::optional<HintParts> hint = drill.session().hints.find(question.id))
      if (showHintPicture(drill.session().hints, *hint)) return;
  figureAsked(edition, question);
}

void PlainFace::answeredRight(const Drill&) { write("Right."); }

void PlainFace::answeredWrong(const Drill& drill, char correct) {
  sound_.playAlert();
  write("Wrong. The right answer is " + rightAnswerText(drill.question(), correct));
}

void PlainFace::questionLeft(const Drill&) {
  closeFigure(windows_, figure_);
  if (hintWindow_ != 0) closePictureWindow(windows_, std::exchange(hintWindow_, 0));
}

bool PlainFace::askAnotherDrill(const Drill&) {
  write("You have correctly answered all of the questions in this section.");
  return askYesNo("Would you like to drill on another section? [Y] or [N]o?");
}

void PlainFace::examStarted(const Exam& exam) {
  write("Practice exam: " + plainNumberText(exam.size()) + " questions, one from each group of the pool; " +
        plainNumberText(passMarkFor(exam.size())) + " right answers pass.");
}

void PlainFace::questionShown(const Exam& exam) {
  const ExamItem& item = exam.currentItem();
  std::string header = "Question " + plainNumberText(exam.current() + 1) + " of " + plainNumberText(exam.size()) + ".";
  if (item.answer) header += " Your answer: " + std::string(1, *item.answer) + ".";
  write(header);
  writeQuestion(item.asked, exam.session().edition());
  write("Answer A, B, C or D, or " + allCommands<ExamCommand>(kExamCommands) +
        ", or a question's number.");
}

ExamInput PlainFace::readCommand(const Exam& exam) {
  for (;;) {
    const std::string word = firstWord(read());
    // A number names a question only within the exam; any other gets the line of commands.
    const int number = isNumber(word) ? std::stoi(word) : 0;
    if (number >= 1 && number <= exam.size()) return {ExamCommand::GoTo, number};
    if (const std::optional<ExamCommand> command = commandForLine<ExamCommand>(kExamCommands, word))
      return {*command};
    write("Type A, B, C or D to answer, or " +
          allCommands<ExamCommand>(kExamCommands) + ", or a number from 1 to " +
          plainNumberText(exam.size()) + ".");
  }
}

void PlainFace::figureAsked(const Exam& exam) {
  figureAsked(exam.session().edition(), *exam.currentItem().asked.question);
}

// The answer sheet as text, ten questions a line, then the running score.
void PlainFace::reviewAsked(const Exam& exam) {
  write("Answer sheet:");
  std::string line;
  for (int index = 0; index < exam.size(); ++index) {
    const ExamItem& item = exam.item(index);
    line += line.empty() ? "" : ", ";
    line += plainNumberText(index + 1) + " " + (item.answer ? std::string(1, *item.answer) : "none");
    if (item.wrong()) line += " wrong";
    if ((index + 1) % 10 == 0 || index + 1 == exam.size()) {
      write(line + ".");
      line.clear();
    }
  }
  const ExamCounts counts = exam.counts();
  const float score = runningScore(counts);
  write("Correct answers: " + countText(counts.correct) + ". Incorrect answers: " + countText(counts.incorrect) +
        ". Your current score: " + trimBlanks(singleNumberText(score)) + "%. Current test status: " +
        (passes(score) ? "Pass." : "Fail."));
}

void PlainFace::pastLastQuestion(const Exam&) {
  write("This was the last question you can End the exam or go back to a Previous question.");
}

bool PlainFace::confirmStop(const Exam&) { return askYesNo("Are you sure you want to end the Exam? [Y] or [N]"); }

MissedChoice PlainFace::showResults(const Exam& exam, bool missedOffered) {
  const ExamCounts counts = exam.counts();
  const float score = finalScore(counts);
  write("Correct Answers: " + countText(counts.correct));
  write("Incorrect Answers: " + countText(counts.incorrect));
  write("Skipped Questions: " + countText(counts.skipped));
  write("Your Score: " + trimBlanks(singleNumberText(score)) + "%");
  write(std::string("Your Status: ") + (passes(score) ? "Pass" : "Fail"));
  return askMissedChoice(missedOffered, "");
}

void PlainFace::examLeft(const Exam&) { closeFigure(windows_, figure_); }

}  // namespace pentrill
