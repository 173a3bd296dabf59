// Program entry: the screen-mode question, the window, the device, and the message loop that hands every
// idle pass to the current scene procedure.
#include "app/WinMain.h"

#include "app/Bench.h"
#include "app/Comfort.h"
#include "app/Direct3D.h"
#include "app/Options.h"
#include "app/OutputFiles.h"
#include "app/Scene.h"
#include "app/Trace.h"
#include "app/UserText.h"
#include <d3d9debug.h>
#include <picture_size.h>

#include <cstdio>
#include <string>

HWND g_hWnd = nullptr;
BYTE g_bFullScreen = 0;
RECT g_rcClient = {0, 0, 0, 0};
RECT g_rcWindow = {0, 0, 0, 0};

namespace {

const char* const kClassName = "Generic Game SDK Window";
long long s_Pass = 0; // idle passes so far; pass 0 is the first scene procedure call

// After each idle pass: the bench and trace lines, and the back buffer when asked for.
void AfterIdlePass(SceneProcType proc) {
    const long long pass = s_Pass++;
    BenchPassEnd(pass, SceneProcName(proc));
    TraceWritePass(pass, SceneProcName(proc));
    if (ShotAtPass(pass)) {
        char name[32];
        std::snprintf(name, sizeof name, "pass-%06lld.png", pass);
        const std::string& dir = RunOptions().shotDir;
        const std::string path = dir.empty() ? std::string(name) : dir + "/" + name;
        if (!d3d9debug::SaveBackBuffer(g_pDevice, path.c_str(), RunOptions().shotKind))
            ReportWriteError(path, "screenshot", 0);
    }
}

} // namespace

LRESULT WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
        ComfortKeyDown(wParam); // pause and volume; Escape resumes a paused stage first
        if (wParam == VK_ESCAPE) {
            if (g_SceneId == 0) {
                PostQuitMessage(0); // quit from the title at once, even during a fade
            } else if (g_SceneId >= 1 && g_SceneId <= 3) {
                if (g_FadeMode == FADE_NONE) g_FadeMode = FADE_OUT; // fade out of the stage back to the title
            }
        }
        return 0; // keys are polled, never passed on
    case WM_KILLFOCUS:
        ComfortFocusLost();
        return 0;
    default:
        return DefWindowProcA(hWnd, uMsg, wParam, lParam);
    }
}

int WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
    (void)hPrevInstance, (void)lpCmdLine;
    const int answer = ShowUserBox(BOX_FULL_SCREEN, MB_YESNO | MB_DEFBUTTON2);
    if (answer == IDYES)
        g_bFullScreen = 1;
    else if (answer == IDNO)
        g_bFullScreen = 0;
    ComfortScreenAnswered(g_bFullScreen != 0);

    WNDCLASSA wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = WndProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = hInstance;
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);

    g_hWnd =
        CreateWindowExA(0, kClassName, "Brinewisp   ver1.00", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, kPictureWidth, kPictureHeight, nullptr, nullptr, hInstance, nullptr);
    if (!g_hWnd) return 0;
    ShowWindow(g_hWnd, nCmdShow);
    UpdateWindow(g_hWnd);
    SetFocus(g_hWnd);
    if (g_bFullScreen == 0) {
        RECT rc = {0, 0, kPictureWidth, kPictureHeight};
        AdjustWindowRect(&rc, WS_OVERLAPPEDWINDOW, FALSE);
        SetWindowPos(g_hWnd, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW);
    }
    // In full screen the window keeps its size; the full-screen device takes the whole display.

    // The device's message box has been shown; there is nothing to run without a device.
    if (!InitDirect3D(g_bFullScreen)) return 0;

    g_pDevice->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
    g_pDevice->SetFVF(D3DFVF_VERTEX3D);
    IDirect3DVertexDeclaration9* decl = nullptr;
    g_pDevice->CreateVertexDeclaration(g_Vertex3DElements, &decl);
    g_pDevice->SetVertexDeclaration(decl);
    if (decl) decl->Release(); // the device keeps its own reference

    // The pointer starts in the middle of the picture, wherever the window lies on the desktop.
    POINT centre = {kPictureWidth / 2, kPictureHeight / 2};
    ClientToScreen(g_hWnd, &centre);
    SetCursorPos(centre.x, centre.y);
    timeBeginPeriod(1);
    ShowCursor(FALSE);
    AppInit();
    if (RunOptions().stage != 0) StartInStage(RunOptions().stage);

    MSG msg = {};
    for (;;) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!GetMessageA(&msg, nullptr, 0, 0)) break;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else {
            GetClientRect(g_hWnd, &g_rcClient);
            GetWindowRect(g_hWnd, &g_rcWindow);
            const SceneProcType proc = g_SceneProc;
            BenchPassBegin();
            g_SceneProc();
            AfterIdlePass(proc);
        }
    }

    AppUninit();
    timeEndPeriod(1);
    return (int)msg.wParam;
}
