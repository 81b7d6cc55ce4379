#pragma once

// Carries out the directive lines of a run or a shell (host/directive_syntax.h):
// moves cards in the simulated readers, sleeps, and changes the page the
// control serves.

#include <string>
#include <vector>

#include "host/directive_syntax.h"
#include "host/page_site.h"
#include "host/scheduled_events.h"
#include "host/simulated_readers.h"

namespace kestrova::host {

struct DirectiveResult {
    bool done = false;
    // Done: the directive as carried out, the reader it chose included.
    // Else: why it failed.
    std::string text;
};

class ScriptDirectives {
  public:
    // Without readers (no --simulate) the card directives fail. Both
    // arguments outlive this object.
    ScriptDirectives(PageSite& page, SimulatedReaders* readers);
    ~ScriptDirectives();
    ScriptDirectives(const ScriptDirectives&) = delete;
    ScriptDirectives& operator=(const ScriptDirectives&) = delete;

    // `where` ("calls.txt:3:") starts the report of a scheduled move that
    // fails later.
    DirectiveResult Run(const Directive& directive, const std::string& where);

    // Reports of scheduled moves that failed since the last call.
    std::vector<std::string> TakeScheduledFailures();

    // Drops the moves not yet due and ends their thread; the run is over.
    void Finish();

  private:
    DirectiveResult RunCard(CardDirective card, const std::string& where);

    PageSite& page_;
    SimulatedReaders* readers_;
    ScheduledEvents events_;
};

}  // namespace kestrova::host
