#pragma once

#include <functional>

#include "journee/lien_v0.h"

class QObject;

// The day view's end of the V0 link: sends a report to the main window and
// gives its answer back, asynchronously since the main window may live in
// this very process. No answer within 5 s, or no main window, is an answer
// too (refused, saying so).
namespace journee {

// The connection lives under `parent`; `reponse` is called once, in its
// context.
void EnvoyerV0(QObject* parent, const ReportV0& report,
               std::function<void(const Reponse&)> reponse);

}  // namespace journee
