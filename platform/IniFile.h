#pragma once

// Access to a settings file; the program carries one object of it.
class IniFile
{
};
