/* A small X client for tools/measure/measure.py.
 *
 *   xprobe wait-map <timeout ms>
 *       Prints "ready", then waits for the first top-level window to be
 *       mapped and prints "<CLOCK_MONOTONIC ns> <window id> <_NET_WM_PID>".
 *   xprobe frames <window id> <seconds>
 *       Reads the window's pixels from the server as fast as it can for the
 *       given time and prints how often they changed:
 *       "<polls> <changes> <first change ns> <last change ns>" and then one
 *       line per change with its CLOCK_MONOTONIC time in ns.
 *
 * Exit status 0 on success, 1 on timeout or error.
 */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <poll.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static int64_t now_ns(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (int64_t)t.tv_sec * 1000000000 + t.tv_nsec;
}

static long window_pid(Display *d, Window w)
{
    Atom pid_atom = XInternAtom(d, "_NET_WM_PID", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = NULL;
    long pid = 0;
    if (XGetWindowProperty(d, w, pid_atom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) == Success
        && data && count == 1 && format == 32)
        pid = (long)*(unsigned long *)data;
    if (data)
        XFree(data);
    return pid;
}

static int wait_map(Display *d, int timeout_ms)
{
    Window root = DefaultRootWindow(d);
    XSelectInput(d, root, SubstructureNotifyMask);
    XSync(d, False);
    printf("ready\n");
    fflush(stdout);
    const int64_t deadline = now_ns() + (int64_t)timeout_ms * 1000000;
    struct pollfd fd = {ConnectionNumber(d), POLLIN, 0};
    for (;;) {
        while (XPending(d)) {
            XEvent event;
            XNextEvent(d, &event);
            if (event.type != MapNotify || event.xmap.override_redirect)
                continue;
            const int64_t when = now_ns();
            printf("%lld 0x%lx %ld\n", (long long)when, (unsigned long)event.xmap.window,
                   window_pid(d, event.xmap.window));
            return 0;
        }
        const int64_t left = deadline - now_ns();
        if (left <= 0)
            return 1;
        poll(&fd, 1, (int)(left / 1000000) + 1);
    }
}

static uint64_t image_hash(XImage *image)
{
    /* FNV-1a over the visible pixels of every row. */
    uint64_t hash = 1469598103934665603ull;
    const int row_bytes = image->width * image->bits_per_pixel / 8;
    for (int y = 0; y < image->height; ++y) {
        const unsigned char *row = (const unsigned char *)image->data + (size_t)y * image->bytes_per_line;
        for (int x = 0; x < row_bytes; ++x) {
            hash ^= row[x];
            hash *= 1099511628211ull;
        }
    }
    return hash;
}

static int frames(Display *d, Window w, double seconds)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(d, w, &attributes))
        return 1;
    const int64_t end = now_ns() + (int64_t)(seconds * 1e9);
    uint64_t previous = 0;
    long polls = 0, changes = 0, capacity = 4096;
    int64_t *times = malloc(sizeof(int64_t) * (size_t)capacity);
    while (now_ns() < end) {
        XImage *image = XGetImage(d, w, 0, 0, (unsigned)attributes.width, (unsigned)attributes.height, AllPlanes, ZPixmap);
        const int64_t when = now_ns();
        if (!image)
            return 1;
        const uint64_t hash = image_hash(image);
        XDestroyImage(image);
        if (polls > 0 && hash != previous) {
            if (changes == capacity) {
                capacity *= 2;
                times = realloc(times, sizeof(int64_t) * (size_t)capacity);
            }
            times[changes++] = when;
        }
        previous = hash;
        ++polls;
    }
    printf("%ld %ld %lld %lld\n", polls, changes, changes ? (long long)times[0] : 0LL,
           changes ? (long long)times[changes - 1] : 0LL);
    for (long i = 0; i < changes; ++i)
        printf("%lld\n", (long long)times[i]);
    free(times);
    return 0;
}

int main(int argc, char **argv)
{
    Display *d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "xprobe: no display\n");
        return 1;
    }
    int status = 2;
    if (argc == 3 && strcmp(argv[1], "wait-map") == 0)
        status = wait_map(d, atoi(argv[2]));
    else if (argc == 4 && strcmp(argv[1], "frames") == 0)
        status = frames(d, (Window)strtoul(argv[2], NULL, 0), atof(argv[3]));
    else
        fprintf(stderr, "usage: xprobe wait-map <timeout ms> | frames <window> <seconds>\n");
    XCloseDisplay(d);
    return status;
}
