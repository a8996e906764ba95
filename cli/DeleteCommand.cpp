#include "DeleteCommand.h"

namespace tarnwick::cli {

DeleteCommand::DeleteCommand()
    : Command("delete", "Delete one analysis with its items, deal records and reviews") {
}

void DeleteCommand::Declare(CLI::App& app) {
    app.add_option("SID", m_sid, "The analysis, as tarnwick-cli shops lists it")->required();
    AddDatabaseOption(app);
}

int DeleteCommand::Run() {
    Store store = OpenStore();
    // A mistyped SID would otherwise delete nothing and say nothing, and a script would go on
    // believing the old rows gone.
    RequireKnownRun(store, m_sid);
    store.DeleteShop(m_sid);
    return 0;
}

}  // namespace tarnwick::cli
