#include "support/StdoutCapture.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <stdexcept>

#include "support/TempFolder.h"

namespace stereolint::test {

StdoutCapture::StdoutCapture() {
  char path[] = "/tmp/stereolint-stdout-XXXXXX";
  const int file = mkstemp(path);
  if (file < 0) throw std::runtime_error("cannot create a capture file");
  capturePath = path;
  std::cout.flush();
  std::fflush(stdout);
  savedDescriptor = dup(STDOUT_FILENO);
  dup2(file, STDOUT_FILENO);
  close(file);
}

StdoutCapture::~StdoutCapture() { stop(); }

std::string StdoutCapture::text() {
  stop();
  return captured;
}

void StdoutCapture::stop() {
  if (savedDescriptor < 0) return;
  std::cout.flush();
  std::fflush(stdout);
  dup2(savedDescriptor, STDOUT_FILENO);
  close(savedDescriptor);
  savedDescriptor = -1;
  captured = readTextFile(capturePath);
  std::remove(capturePath.c_str());
}

}  // namespace stereolint::test
