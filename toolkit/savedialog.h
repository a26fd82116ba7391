#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/object.h"

namespace toolkit {

// The desktop's save-file dialog, in French, with no overwrite question.
// It does not change the process's current directory.
class TSaveDialog : public TObject {
  public:
    using ExecuteHook = std::function<std::optional<std::string>(const TSaveDialog&)>;

    explicit TSaveDialog(std::string name = "");

    const std::string& Name() const { return name_; }
    // Added, after a dot, to a chosen name that has none ("txt").
    const std::string& DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(const std::string& ext) { defaultExt_ = ext; }
    // Pairs of description and patterns, all separated by '|':
    // "Fichiers texte (*.txt)|*.TXT". Patterns match either case.
    const std::string& Filter() const { return filter_; }
    void SetFilter(const std::string& filter) { filter_ = filter; }
    // The proposed name before, the chosen full path after.
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& name) { fileName_ = name; }
    const std::string& InitialDir() const { return initialDir_; }
    void SetInitialDir(const std::string& dir) { initialDir_ = dir; }
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }

    // Shows the dialog; true when the user chose a file.
    bool Execute();

    // While set, Execute asks it instead of showing the dialog: a name is the
    // user's choice (the default extension is still added), nullopt a cancel.
    static void SetExecuteHook(ExecuteHook hook);

  private:
    std::string name_;
    std::string defaultExt_;
    std::string filter_;
    std::string fileName_;
    std::string initialDir_;
    std::string title_;
};

// "Fichiers texte (*.txt)|*.TXT" as Qt's name filters. The patterns are
// written so that they match either case, as on the desktop the filter
// comes from.
std::vector<std::string> NameFilters(const std::string& filter);
// name with ".ext" added when its last path element has no dot.
std::string WithDefaultExt(const std::string& name, const std::string& ext);

}  // namespace toolkit
