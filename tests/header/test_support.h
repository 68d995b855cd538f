// Helpers of the header tests: a scratch folder per test, whole-file reads
// and writes, the message-box fake and the independent INI reader.
#pragma once

#include <string>
#include <vector>

#include "platform/text/msgbox.h"

std::string ScratchDir(const std::string& name);
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
// A fixture file of tests/header/data.
std::string Fixture(const std::string& name);
bool Exists(const std::string& path);

// The texts of the boxes a recorder saw, in order.
std::vector<std::string> Texts(const qv::MessageRecorder& boxes);

// A value as crudini, a reader independent of ours, sees it; "<missing>" when
// crudini finds no such key.
std::string Crudini(const std::string& path, const std::string& section, const std::string& key);
