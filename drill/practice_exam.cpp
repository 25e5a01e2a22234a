#include "drill/program.h"

namespace pentrill {

// The practice exam's entry point. The exam itself (composition, the exam
// screen, scoring) is not built yet: for now the menu comes straight back.
void runPracticeExam(Platform&, ProgramState&) {}

}  // namespace pentrill
