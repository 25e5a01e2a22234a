// The reference for the start-up benchmark (tools/bench.py): the smallest
// ncurses program that paints what pentrill's menu shows (the same lines in
// the same colours, the study record's two rows included, each as fixed
// text) and waits for a key. What pentrill costs beyond this is its own.
#include <curses.h>
#include <locale.h>

int main() {
  setlocale(LC_ALL, "");
  initscr();
  cbreak();
  noecho();
  keypad(stdscr, TRUE);
  curs_set(0);
  start_color();
  init_pair(1, COLOR_WHITE, COLOR_BLUE);
  bkgd(COLOR_PAIR(1));
  attron(COLOR_PAIR(1) | A_BOLD);
  const char* lines[] = {
      "Amateur Extra (Element 4), pool 2024-2028      L. Other pools",
      "",
      "                       <<< Pentrill >>>",
      "\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500"
      "\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500"
      "\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500"
      "\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500",
      "0. SUBELEMENT E0 \u2013 SAFETY - [1 exam question \u2013 1 group]",
      "1. SUBELEMENT E1 \u2014 COMMISSION RULES [6 Exam Questions \u2014 6 Groups]",
      "2. SUBELEMENT E2 - OPERATING PROCEDURES [5 Exam Questions - 5 Groups]",
      "3. SUBELEMENT E3 - RADIO WAVE PROPAGATION [3 Exam Questions - 3 Groups]",
      "4. SUBELEMENT E4 - AMATEUR PRACTICES [5 Exam Questions - 5 Groups]",
      "5. SUBELEMENT E5 \u2013 ELECTRICAL PRINCIPLES [4 Exam Questions - 4 Groups]",
      "6. SUBELEMENT E6 - CIRCUIT COMPONENTS [6 Exam Questions - 6 Groups]",
      "7. SUBELEMENT E7 - PRACTICAL CIRCUITS [8 Exam Questions - 8 Groups]",
      "8. SUBELEMENT E8 - SIGNALS AND EMISSIONS [4 Exam Questions - 4 Groups]",
      "9. SUBELEMENT E9 - ANTENNAS AND TRANSMISSION LINES [8 Exam Questions - 8 Groups]",
      "P. Practice Test",
      "",
      "          Pick the sub element you want to practice (0-9, P, ?)",
      "",
      "Chance of passing an exam today: 41%   Known: 212 of 599   Due for review: 35",
      "",
      "R. Study session (20 questions that raise your chance most)   T. Progress   W. Mistakes",
  };
  int row = 3;
  for (const char* line : lines) mvaddstr(row++, 9, line);
  refresh();
  getch();
  endwin();
  return 0;
}
