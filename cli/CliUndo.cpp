#include "CliUndo.h"

#include <ostream>

#include "CliOutput.h"
#include "NameText.h"
#include "RunSession.h"
#include "RunUndo.h"
#include "UndoTexts.h"

namespace torvel {

namespace {

// What taking back the run would do, file by file, touching nothing.
void previewUndo(const JournalRecord& record, std::ostream& out)
{
    for (const JournalFile& file : record.files) {
        if (file.newName.empty())
            out << displayName(file.oldName) << '\n';
        else
            out << displayName(file.newName) << " → " << displayName(file.oldName) << '\n';
    }
}

// The newest run to take back, and how many of its files it changed: looked
// at under the lock, since a run of another process may be writing it.
CliExit lastRun(const CliEnvironment& env, JournalRecord& record, std::size_t& done,
                std::ostream& err)
{
    RunSession session(env.stateFolder);
    if (!session.held()) {
        err << session.refusal() << '\n';
        return CliExit::Partly;
    }
    if (!lastRunToTakeBack(env.stateFolder, record)) {
        err << nothingToTakeBack << '\n';
        return CliExit::Partly;
    }
    done = filesDone(record, session.fs());
    return CliExit::Done;
}

// Whether the run is to be taken back: --yes says so, after the run is
// named; else the person answers on the terminal.
CliExit agreed(const CliOptions& options, const CliEnvironment& env, const JournalRecord& record,
               std::size_t done, std::ostream& out, std::ostream& err)
{
    if (options.yes) {
        out << takingBackText(record, done);
        return CliExit::Done;
    }
    const std::string question = takeBackQuestionWithProgram(record, done) + "\n\n";
    if (env.answers == nullptr) {
        err << question
            << "たずねる端末がないため、元に戻しませんでした。たずねずに元に戻すには --yes を付けて"
               "ください。\n";
        return CliExit::Usage;
    }
    if (!answeredYes(question, *env.answers, err)) {
        err << "元に戻しませんでした。\n";
        return CliExit::Partly;
    }
    return CliExit::Done;
}

} // namespace

CliExit undoLastRun(const CliOptions& options, const CliEnvironment& env, std::ostream& out,
                    std::ostream& err)
{
    JournalRecord record;
    std::size_t done = 0;
    if (const CliExit found = lastRun(env, record, done, err); found != CliExit::Done)
        return found;
    if (options.dryRun) {
        out << takeBackQuestionWithProgram(record, done) << "\n\n";
        previewUndo(record, out);
        return CliExit::Done;
    }
    if (const CliExit asked = agreed(options, env, record, done, out, err); asked != CliExit::Done)
        return asked;
    // The lock was let go while the person read the question: only the run
    // shown is taken back, and only while it is still the last one.
    RunSession session(env.stateFolder);
    if (!session.held()) {
        err << session.refusal() << '\n';
        return CliExit::Partly;
    }
    JournalRecord now;
    if (!lastRunToTakeBack(env.stateFolder, now) || now.path != record.path) {
        err << "その間にほかの実行が行われたため、何も変更しませんでした。もう一度 torvel-cli "
               "--undo で確かめてください。\n";
        return CliExit::Partly;
    }
    TerminalFeedback feedback(options.yes, env.answers, err);
    RunServices services = session.services(feedback);
    const RunResult result = takeBackLastRun(now, services);
    return report(result, settledSummary(result, true), true, out, err);
}

} // namespace torvel
