#include "manager/ManagerThreads.h"

namespace vp {

TManagerThreads::TManagerThreads(TDispatcher& dispatcher, TManagerView& view, const TManagerTimings& timings)
    : updater_(buffers_, dispatcher, view, timings), counter_(dispatcher, view, timings) {
  for (auto& fill : fills_) {
    fill = std::make_unique<TRegManagerThread>(buffers_, timings);
    fill->OnPublished([this](int tab) {
      if (updater_.ShownTab() == tab) updater_.RequestUpdate();
    });
  }
}

TManagerThreads::~TManagerThreads() {
  Stop();
}

void TManagerThreads::Start(bool isWin2000, bool isWinXP, const std::string& dataFolder) {
  for (auto& fill : fills_) {
    fill->SetOptions(isWin2000, isWinXP, dataFolder);
    fill->Start();
  }
  updater_.Start();
  counter_.Start();
}

void TManagerThreads::SetTexts(const std::string& unknownText, const std::string& directoryText,
                               const std::string& noValueText, const std::string& allFilesText) {
  for (auto& fill : fills_) fill->SetTexts(unknownText, directoryText, noValueText, allFilesText);
}

void TManagerThreads::RequestFill(int tab) {
  if (tab >= 0 && tab < kCleanerTab) fills_[static_cast<size_t>(tab)]->RequestFill(tab);
}

void TManagerThreads::RequestAllFills() {
  for (int tab = 0; tab < kCleanerTab; ++tab) RequestFill(tab);
}

void TManagerThreads::ShowTab(int tab) {
  updater_.SetTab(tab);
  updater_.RequestUpdate();
}

void TManagerThreads::Stop() {
  for (auto& fill : fills_) fill->Stop();
  updater_.Stop();
  counter_.Stop();
}

}  // namespace vp
