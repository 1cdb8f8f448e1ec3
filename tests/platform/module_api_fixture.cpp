// A module file for the module call tests, loaded under its own name and as renamed copies.
extern "C" int ZelvarFixtureAnswer() { return 42; }
