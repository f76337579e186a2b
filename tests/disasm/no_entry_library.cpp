// A DLL that loads but has no _Disasm@4: it stands in for a wrong file that
// happens to carry the decoding library's name.
extern "C" __declspec(dllexport) int NotTheDecodingEntry() { return 0; }
