/* An ALSA sequencer with no other client, for a machine whose kernel has none (no /dev/snd/seq, as in
 * virtual machines and containers without sound): preloaded into a host that will not start its audio
 * engine without a MIDI sequencer, so that its audio runs on JACK as it would on a musician's machine.
 * Only the calls that take a sequencer handle are answered here; the ones on plain info records stay
 * libasound's own. Nothing is ever received, sent events go nowhere, and every query finds nothing. */
#define _GNU_SOURCE
#include <alsa/asoundlib.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

struct _snd_seq
{
    int neverReadable[2];
    int nextPort;
};

int snd_seq_open (snd_seq_t** handle, const char* name, int streams, int mode)
{
    snd_seq_t* seq = calloc (1, sizeof (snd_seq_t));
    if (seq == NULL)
        return -ENOMEM;
    if (pipe2 (seq->neverReadable, O_CLOEXEC) != 0)
    {
        free (seq);
        return -errno;
    }
    *handle = seq;
    return 0;
}

int snd_seq_close (snd_seq_t* seq)
{
    close (seq->neverReadable[0]);
    close (seq->neverReadable[1]);
    free (seq);
    return 0;
}

int snd_seq_client_id (snd_seq_t* seq)
{
    return 128;
}

int snd_seq_poll_descriptors_count (snd_seq_t* seq, short events)
{
    return 1;
}

int snd_seq_poll_descriptors (snd_seq_t* seq, struct pollfd* fds, unsigned int space, short events)
{
    if (space < 1)
        return 0;
    fds[0].fd = seq->neverReadable[0];
    fds[0].events = events & POLLIN;
    fds[0].revents = 0;
    return 1;
}

int snd_seq_event_input (snd_seq_t* seq, snd_seq_event_t** event)
{
    *event = NULL;
    return -EAGAIN;
}

int snd_seq_event_output_direct (snd_seq_t* seq, snd_seq_event_t* event)
{
    return (int) snd_seq_event_length (event);
}

int snd_seq_create_simple_port (snd_seq_t* seq, const char* name, unsigned int caps, unsigned int type)
{
    return seq->nextPort++;
}

int snd_seq_get_port_info (snd_seq_t* seq, int port, snd_seq_port_info_t* info)
{
    memset (info, 0, snd_seq_port_info_sizeof());
    snd_seq_port_info_set_port (info, port);
    return 0;
}

int snd_seq_get_queue_status (snd_seq_t* seq, int queue, snd_seq_queue_status_t* status)
{
    memset (status, 0, snd_seq_queue_status_sizeof());
    return 0;
}

int snd_seq_get_queue_tempo (snd_seq_t* seq, int queue, snd_seq_queue_tempo_t* tempo)
{
    memset (tempo, 0, snd_seq_queue_tempo_sizeof());
    snd_seq_queue_tempo_set_tempo (tempo, 500000);
    snd_seq_queue_tempo_set_ppq (tempo, 96);
    snd_seq_queue_tempo_set_skew_base (tempo, 0x10000);
    snd_seq_queue_tempo_set_skew (tempo, 0x10000);
    return 0;
}

/* Calls that change nothing here and succeed, and queries that find nothing. */
#define SUCCEEDS(name, ...) \
    int name (__VA_ARGS__) { return 0; }
#define FINDS_NOTHING(name, ...) \
    int name (__VA_ARGS__) { return -ENOENT; }

SUCCEEDS (snd_seq_set_client_name, snd_seq_t* seq, const char* name)
SUCCEEDS (snd_seq_event_input_pending, snd_seq_t* seq, int fetch)
SUCCEEDS (snd_seq_event_output, snd_seq_t* seq, snd_seq_event_t* event)
SUCCEEDS (snd_seq_drain_output, snd_seq_t* seq)
SUCCEEDS (snd_seq_drop_output, snd_seq_t* seq)
SUCCEEDS (snd_seq_drop_input, snd_seq_t* seq)
SUCCEEDS (snd_seq_delete_simple_port, snd_seq_t* seq, int port)
SUCCEEDS (snd_seq_set_port_info, snd_seq_t* seq, int port, snd_seq_port_info_t* info)
SUCCEEDS (snd_seq_subscribe_port, snd_seq_t* seq, snd_seq_port_subscribe_t* subscription)
SUCCEEDS (snd_seq_unsubscribe_port, snd_seq_t* seq, snd_seq_port_subscribe_t* subscription)
SUCCEEDS (snd_seq_alloc_queue, snd_seq_t* seq)
SUCCEEDS (snd_seq_free_queue, snd_seq_t* seq, int queue)
SUCCEEDS (snd_seq_control_queue, snd_seq_t* seq, int queue, int type, int value, snd_seq_event_t* event)
SUCCEEDS (snd_seq_set_queue_tempo, snd_seq_t* seq, int queue, snd_seq_queue_tempo_t* tempo)
SUCCEEDS (snd_seq_set_queue_timer, snd_seq_t* seq, int queue, snd_seq_queue_timer_t* timer)
SUCCEEDS (snd_seq_remove_events, snd_seq_t* seq, snd_seq_remove_events_t* which)
FINDS_NOTHING (snd_seq_get_any_client_info, snd_seq_t* seq, int client, snd_seq_client_info_t* info)
FINDS_NOTHING (snd_seq_get_any_port_info, snd_seq_t* seq, int client, int port, snd_seq_port_info_t* info)
FINDS_NOTHING (snd_seq_query_next_client, snd_seq_t* seq, snd_seq_client_info_t* info)
FINDS_NOTHING (snd_seq_query_next_port, snd_seq_t* seq, snd_seq_port_info_t* info)
FINDS_NOTHING (snd_seq_query_port_subscribers, snd_seq_t* seq, snd_seq_query_subscribe_t* subscribers)
