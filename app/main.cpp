// Entry point; the game starts in WinMain once the shell lands.
int main() { return 0; }
