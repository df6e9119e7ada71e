#pragma once
#include <string>

// The user's home folder: $HOME, else the password database; empty when neither tells.
std::string HomeFolder();

// Where settings.reg lives unless --config says otherwise: $XDG_CONFIG_HOME/kestrave
// when that is an absolute path, else ~/.config/kestrave; empty when there is no home.
std::string DefaultConfigDir();
