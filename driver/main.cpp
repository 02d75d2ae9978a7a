#include "console/console.h"
#include "driver/dialogue.h"
#include "numbers/numbers.h"

int main() {
  nagyszam::StartConsole();
  nagyszam::StartNumbers();
  nagyszam::RunNemNegSection();
  nagyszam::RunEgeszSection();
  nagyszam::EndProgram(0);
}
