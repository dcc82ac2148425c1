#include "docs/BashCompletion.h"

#include <vector>

#include "app/CommandLine.h"
#include "app/Methods.h"

namespace stereolint::docs {

namespace {

// The words of `text` separated by blanks and "|", e.g. "all", "flagged"…
std::vector<std::string> alternatives(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  for (const char c : text + " ") {
    if (c == ' ' || c == '|') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  return words;
}

std::string joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
  return text;
}

// The case branches of the options whose values are a fixed list: those
// whose usage shows alternatives ("GUI | CONSOLE"), and -d.
std::string valueBranches() {
  std::string branches;
  for (const UsageLine& line : usageLines()) {
    const size_t blank = line.option.find(' ');
    if (blank == std::string::npos || line.option.find('|') == std::string::npos) continue;
    branches += "    " + line.option.substr(0, blank) + ") COMPREPLY=($(compgen -W '" +
                joined(alternatives(line.option.substr(blank))) + "' -- \"$cur\")); return ;;\n";
  }
  std::vector<std::string> methods;
  for (const Method* method : allMethods()) methods.emplace_back(method->name);
  branches += "    -d) COMPREPLY=($(compgen -W '" + joined(methods) + "' -- \"$cur\")); return ;;\n";
  return branches;
}

// Every parameter key of every method, each once.
std::string parameterKeys() {
  std::vector<std::string> keys;
  for (const Method* method : allMethods()) {
    for (const auto& entry : method->parameterKeys()) {
      bool known = false;
      for (const std::string& key : keys) known = known || key == entry.first;
      if (!known) keys.push_back(entry.first);
    }
  }
  return joined(keys);
}

// The options that take a value word: their value is not completed from a
// list (a number, a text) unless a branch above says so.
std::string valueOptions() {
  std::vector<std::string> words;
  for (const UsageLine& line : usageLines()) {
    const size_t blank = line.option.find(' ');
    if (blank != std::string::npos) words.push_back(line.option.substr(0, blank));
  }
  std::string pattern;
  for (const std::string& word : words) pattern += (pattern.empty() ? "" : "|") + word;
  return pattern;
}

std::string optionWords() {
  std::vector<std::string> words;
  for (const UsageLine& line : usageLines()) words.push_back(line.option.substr(0, line.option.find(' ')));
  return joined(words);
}

}  // namespace

std::string stereolintBashCompletion() {
  return "# bash completion for Stereolint; made at build time from the program's option\n"
         "# table by stereolint-docs.\n"
         "_stereolint() {\n"
         "  local cur prev words cword\n"
         "  _init_completion -n := || return\n"
         "  case $prev in\n" +
         valueBranches() +
         "    -i | -r) _filedir; return ;;\n"
         "    -p)\n"
         "      # KEY:VALUE entries separated by commas: the key after the last comma.\n"
         "      local entries=${cur%\"${cur##*,}\"}\n"
         "      COMPREPLY=($(compgen -P \"$entries\" -S : -W '" +
         parameterKeys() +
         "' -- \"${cur##*,}\"))\n"
         "      compopt -o nospace\n"
         "      __ltrim_colon_completions \"$cur\"\n"
         "      return ;;\n"
         "    " + valueOptions() + ") return ;;\n"
         "  esac\n"
         "  if [[ $cur == -* ]]; then\n"
         "    COMPREPLY=($(compgen -W '" + optionWords() + "' -- \"$cur\"))\n"
         "    return\n"
         "  fi\n"
         "  _filedir\n"
         "}\n"
         "complete -F _stereolint Stereolint\n";
}

}  // namespace stereolint::docs
