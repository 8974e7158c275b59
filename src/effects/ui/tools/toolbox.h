#pragma once
// The tool table: every drawing tool under the name that selects it (the tool list's names and
// the line styles), and ToolBox, the tools one drawing control has made. A name with a stage
// number ("chord2") selects its tool in that stage.
#include "tool.h"

#include <QStringList>

#include <map>
#include <memory>

namespace effectsui {

// The entry of a tool name; null for a name no tool has (a stage name is not an entry).
const ToolEntry* FindTool(const QString& name);
// The names of the control's tool list, in its order (alphabetical, whatever the case).
QStringList ListedToolNames();

class ToolBox {
public:
    struct Selection {
        DrawTool* tool = nullptr; // null: no tool has this name
        QString name;             // the tool's own name, without a stage
    };
    // The tool a Shape value names, set to the stage the name gives (0 without a number).
    Selection Select(const QString& shape);

private:
    DrawTool* made(const ToolEntry& entry);

    std::map<QString, std::unique_ptr<DrawTool>> made_;
};

} // namespace effectsui
