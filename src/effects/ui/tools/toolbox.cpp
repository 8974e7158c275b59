#include "toolbox.h"

#include <algorithm>

namespace effectsui {

namespace {

const std::map<QString, ToolEntry>& table()
{
    static const std::map<QString, ToolEntry> tools = [] {
        std::map<QString, ToolEntry> t;
        for (ToolEntries (*family)() : {OutlineTools, DecorationTools, StrokeTools, StagedTools, PolyTools, RangeTools,
                                        FillTools, BrushTools, GeneratorTools})
            for (ToolEntry& e : family()) t.emplace(QString::fromLatin1(e.name), std::move(e));
        return t;
    }();
    return tools;
}

} // namespace

const ToolEntry* FindTool(const QString& name)
{
    const auto it = table().find(name);
    return it == table().end() ? nullptr : &it->second;
}

QStringList ListedToolNames()
{
    QStringList names;
    for (const auto& [name, entry] : table())
        if (entry.listed) names << name;
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return names;
}

DrawTool* ToolBox::made(const ToolEntry& entry)
{
    std::unique_ptr<DrawTool>& tool = made_[QString::fromLatin1(entry.name)];
    if (!tool) tool = entry.make();
    return tool.get();
}

ToolBox::Selection ToolBox::Select(const QString& shape)
{
    if (const ToolEntry* entry = FindTool(shape)) {
        DrawTool* tool = made(*entry);
        tool->SetStage(0);
        return {tool, shape};
    }
    // A stage name: the tool's name and a stage number the tool has.
    qsizetype digits = 0;
    while (digits < shape.size() && shape[shape.size() - 1 - digits].isDigit()) ++digits;
    if (digits == 0 || digits > 2) return {};
    const QString name = shape.left(shape.size() - digits);
    const ToolEntry* entry = FindTool(name);
    if (!entry) return {};
    DrawTool* tool = made(*entry);
    const int stage = shape.right(digits).toInt();
    if (stage < 1 || stage >= tool->Stages() || shape.right(digits) != QString::number(stage)) return {};
    tool->SetStage(stage);
    return {tool, name};
}

} // namespace effectsui
