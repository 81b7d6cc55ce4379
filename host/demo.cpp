#include "host/demo.h"

#include <chrono>
#include <initializer_list>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <variant>

#include "control/dispatch.h"
#include "control/kestrova_ctrl.h"
#include "control/method_table.h"
#include "host/call_runner.h"
#include "host/call_syntax.h"
#include "host/page_site.h"
#include "host/scheduled_events.h"
#include "host/simulated_service.h"
#include "host/user_interface_choice.h"
#include "host/value_format.h"
#include "platform/terminal.h"
#include "reader/service_binding.h"

namespace kestrova::host {
namespace {

constexpr char kPage[] = "https://card.kestrova.example.com/";
constexpr char kReader[] = "Kestrova Virtual Reader 0";
constexpr std::chrono::milliseconds kCardOutAfter{1000};
constexpr std::chrono::milliseconds kCardBackAfter{2000};

// A transfer of 1,234.56 from the payer's account (at 64) to the payee's
// (at 48): the three rows of the window.
constexpr char kTransferRecord[] =
    "2520"
    "00000000123456"
    "                              "
    "0040987654321098"
    "0040123456789012";

// The window's texts: caption, buttons, instruction, heading and row labels.
constexpr char kMessage[] =
    "<Tag1>Kestrova 轉帳確認</Tag1><Tag2>確定</Tag2><Tag3>取消</Tag3>"
    "<Tag4>請將晶片卡拔出後再插入，然後按「確定」完成交易。</Tag4>"
    "<Tag5>請確認以下轉帳內容</Tag5><Tag6>轉出帳號</Tag6><Tag7>轉入帳號</Tag7>"
    "<Tag8>交易金額</Tag8>";

std::string WriteCall() {
    const std::string record(kTransferRecord);
    return std::string("WriteRecordWithSNUMTACProc(\"") + kReader + "\", \"\", \"1003\", " +
           std::to_string(record.size()) + ", \"" + record + "\", \"123456\", \"" + kMessage +
           "\")";
}

struct Step {
    std::string explanation;
    std::string call;
};

class DemoSession {
  public:
    DemoSession(CKestrovaCtrl& control, std::ostream& out, std::ostream& err)
        : control_(control), out_(out), err_(err) {}

    // The call's result, or nothing after an error already reported.
    std::optional<AutomationValue> Call(const Step& step) {
        out_ << "# " << step.explanation << '\n' << std::flush;
        const ParsedLine parsed = ParseCallLine(step.call);
        const auto* call = std::get_if<ParsedCall>(&parsed);
        if (call == nullptr) {
            err_ << "kestrova demo: cannot read the call " << step.call << '\n';
            return std::nullopt;
        }
        const MethodInfo* method = FindMethod(call->methodName);
        if (method == nullptr) {
            err_ << "kestrova demo: no method " << call->methodName << '\n';
            return std::nullopt;
        }
        const InvokeResult result = InvokeMethod(control_, *method, call->arguments);
        if (!result.Succeeded()) {
            err_ << "kestrova demo: " << method->name << ": " << result.Error().message << '\n';
            return std::nullopt;
        }
        out_ << FormatCall(method->name, call->arguments, result.Value()) << "\n\n" << std::flush;
        return result.Value();
    }

    // True when every step ran; their results are only shown.
    bool CallAll(std::initializer_list<Step> steps) {
        for (const Step& step : steps) {
            if (!Call(step)) {
                return false;
            }
        }
        return true;
    }

  private:
    CKestrovaCtrl& control_;
    std::ostream& out_;
    std::ostream& err_;
};

std::int32_t LongResult(const std::optional<AutomationValue>& value) {
    return value && value->IsLong() ? value->AsLong() : -1;
}

int RunTransfer(DemoSession& session, SimulatedService& simulation, std::ostream& out,
                std::ostream& err) {
    if (!session.CallAll({
            {"List the readers of the PC/SC service, here the simulated one (0: listed).",
             "ListReaders()"},
            {"The name of the first of them.", "GetReaderName(0)"},
        })) {
        return kExitFailure;
    }
    const std::int32_t connected = LongResult(
        session.Call({"Connect to the financial card in the virtual reader (0: connected).",
                      "ConnectCard(\"Kestrova Virtual Reader 0\")"}));
    if (connected != 0) {
        out << "The card could not be connected (result " << connected << ").\n";
        return kExitDeclined;
    }
    if (!session.CallAll({
            {"Read the accounts in the card's EF1001 (0: read).", "ListEF1001Accounts()"},
            {"The first account.", "GetEF1001Account(0)"},
            {"The bank that issued the card.", "GetIssuerBank()"},
        })) {
        return kExitFailure;
    }

    // A person takes the card out and puts it back while the window is open:
    // that is what enables its OK button.
    ScheduledEvents events;
    events.Schedule(kCardOutAfter, [&simulation] { return simulation.RemoveCard(kReader); });
    events.Schedule(kCardBackAfter, [&simulation] { return simulation.InsertCard(kReader); });
    out << "# The virtual card will be taken out after " << kCardOutAfter.count()
        << " ms and put back after " << kCardBackAfter.count()
        << " ms, as the window asks the user to do.\n";
    const std::int32_t written = LongResult(session.Call(
        {"Verify the PIN, show the confirmation window and write the transfer record to the "
         "transaction file 1003; the card answers with SNUM and TAC (0: confirmed).",
         WriteCall()}));
    events.Stop();
    for (const std::string& failure : events.TakeFailures()) {
        err << "kestrova demo: moving the virtual card: " << failure << '\n';
    }
    if (written != 0) {
        out << "The transfer was not confirmed (result " << written
            << "): the card wrote nothing the page can use.\n";
        session.Call({"Release the card.", "DisconnectCard(\"Kestrova Virtual Reader 0\")"});
        return kExitDeclined;
    }
    if (!session.CallAll({
            {"The transaction's serial number from the card.", "GetRespSNUM()"},
            {"The transaction authentication code the card computed.", "GetRespTAC()"},
            {"The issuer of the card that made the transaction.", "GetTransactionIssuer()"},
            {"The transaction's remark.", "GetTransactionRemark()"},
            {"The account the transaction was made from.", "GetTransactionAccount()"},
            {"Release the card.", "DisconnectCard(\"Kestrova Virtual Reader 0\")"},
        })) {
        return kExitFailure;
    }
    out << "The transfer was confirmed and written by the card.\n";
    return kExitSuccess;
}

}  // namespace

int RunDemo(const Options& options, std::ostream& out, std::ostream& err) {
    const auto chosen = ChooseUi(options.ui, options.confirm.has_value(), CurrentUiEnvironment());
    if (const auto* error = std::get_if<std::string>(&chosen)) {
        err << "kestrova: " << *error << '\n';
        return kExitFailure;
    }
    const platform::ConfirmMode confirm =
        ConsoleConfirmMode(options.confirm, platform::IsTerminal(0), platform::ConfirmMode::kOk);

    // Declared first, so it goes last: the control may hold its cards.
    auto started = SimulatedService::Start("");
    if (const auto* error = std::get_if<std::string>(&started)) {
        err << "kestrova demo: the virtual card: " << *error << '\n';
        return kExitFailure;
    }
    const std::unique_ptr<SimulatedService> simulation =
        std::move(std::get<std::unique_ptr<SimulatedService>>(started));
    SetCardServiceLibrary(simulation->ServiceLibraryPath().c_str());

    const std::unique_ptr<platform::UserInterface> userInterface =
        MakeUserInterface(std::get<UiKind>(chosen), out, confirm);
    CKestrovaCtrl control;
    PageSite page(control, userInterface.get());
    page.Serve(std::string(kPage));
    out << "Kestrova demo: a transfer on the built-in virtual card, for the page " << kPage
        << "\n\n";
    DemoSession session(control, out, err);
    return RunTransfer(session, *simulation, out, err);
}

}  // namespace kestrova::host
