#include "app/custom_page.hpp"

#include "app/program.hpp"

namespace qivra {

CustomPage::CustomPage(Program& program) : program_(program) {}
CustomPage::~CustomPage() = default;

void CustomPage::EnableCustomAlgorithms() {}
void CustomPage::RefreshCustomPage() {}
void CustomPage::RefreshCustomForecasts() {}
void CustomPage::RefreshAlgorithmStats() {}
void CustomPage::SelectCustomKind(int) {}
void CustomPage::SelectAlgorithm(int) {}
void CustomPage::SaveAlgorithm() {}
void CustomPage::DeleteSelectedAlgorithm(bool) {}
void CustomPage::ClearAlgorithms() {}
void CustomPage::ChooseStatsWindow(int) {}
void CustomPage::ShowHelp() {}
void CustomPage::RandomizeFormulas() {}
void CustomPage::StartSearch() {}
void CustomPage::ShowContextMenu(QPoint) {}

}  // namespace qivra
