// TEST-ONLY: the device pointer the game's mesh and effect code reads. Delete at integration:
// app/Direct3D.cpp defines the real one.
struct IDirect3DDevice9;
IDirect3DDevice9* g_pDevice = nullptr;
