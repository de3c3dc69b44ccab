// Run before the program starts (emcc --pre-js): its name, as the desktop's, which the caption of
// its message boxes is made from. Emscripten would call it "this.program".
Module["thisProgram"] = "./quarnel";
