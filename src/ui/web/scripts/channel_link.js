// Connects this document to the program once the engine's transport exists, then hands the
// channel's objects to every waiting caller, in the order they asked.
(function () {
    'use strict';
    if (window.top !== window || window.__mapvaleChannel) {
        return;
    }
    var objects = null;
    var waiting = [];
    function connect() {
        if (typeof qt === 'undefined' || !qt.webChannelTransport) {
            setTimeout(connect, 5);
            return;
        }
        new QWebChannel(qt.webChannelTransport, function (channel) {
            objects = channel.objects;
            var ready = waiting;
            waiting = [];
            ready.forEach(function (use) { use(objects); });
        });
    }
    Object.defineProperty(window, '__mapvaleChannel', {
        value: function (use) {
            if (objects) {
                use(objects);
            } else {
                waiting.push(use);
            }
        }
    });
    connect();
})();
