#pragma once

#include <string>

// About 1 MB of GitHub-flavoured Markdown: cmark-gfm's spec text repeated. Read once; stops
// the process when the text is missing.
const std::string& gfmCorpus();
