// Writes the web page's files that come from the form's table, at build time:
//   make_form_files site TEMPLATE COMPACT_CSS INDEX_HTML STYLESHEET   the page and its layout
//   make_form_files json OUT                              the table, for the tests
// Built natively, and for the page with emscripten to run under node.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "web/form_markup.h"

namespace {

bool Write(const char* path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  out.close();
  if (!out) std::cerr << "make_form_files: cannot write " << path << "\n";
  return static_cast<bool>(out);
}

bool Read(const char* path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  if (!in) std::cerr << "make_form_files: cannot read " << path << "\n";
  text = content.str();
  return static_cast<bool>(in);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "json" && argc == 3) return Write(argv[2], web::FormJson()) ? 0 : 1;
  if (mode == "site" && argc == 6) {
    std::string pageTemplate;
    std::string compactCss;
    if (!Read(argv[2], pageTemplate) || !Read(argv[3], compactCss)) return 1;
    try {
      return Write(argv[4], web::PageFromTemplate(pageTemplate)) &&
                     Write(argv[5], web::FormStylesheet(compactCss))
                 ? 0
                 : 1;
    } catch (const std::exception& e) {
      std::cerr << "make_form_files: " << argv[2] << ": " << e.what() << "\n";
      return 1;
    }
  }
  std::cerr
      << "usage: make_form_files site TEMPLATE COMPACT_CSS INDEX_HTML STYLESHEET | json OUT\n";
  return 2;
}
