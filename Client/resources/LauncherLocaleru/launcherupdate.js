Texts.define("ru", {
    "launcherupdate.installing": "Установка новой программы запуска",
    "launcherupdate.updated": "Новая программа запуска установлена. Перезапуск…",
    "launcherupdate.failed": "Не удалось установить новую программу запуска.",
    "launcherupdate.locked": "Эти файлы заняты. Закройте использующие их программы и повторите попытку:",
    "launcherupdate.done": "Программа запуска обновлена.",
    "launcherupdate.needed": "Доступна новая версия программы запуска. Она нужна для обновления игры.",
    "launcherupdate.download": "Скачать новую программу запуска",
    "launcherupdate.retry": "Повторить",
    "launcherupdate.fetching": "Запрос новой программы запуска у сервера обновлений",
    "launcherupdate.torrent": "Новую программу запуска не удаётся загрузить: её описание повреждено или не сохраняется.",
    "launcherupdate.stuck": "Загрузка новой программы запуска не завершается.",
    "launcherupdate.network.3": "Соединение с сервером обновлений прервалось.",
    "launcherupdate.network.6": "Адрес сервера обновлений не найден.",
    "launcherupdate.network.8": "Сервер обновлений недоступен.",
    "launcherupdate.network.9": "Сервер обновлений не отвечает.",
    "launcherupdate.network.other": "Сервер обновлений недоступен.",
    "launcherupdate.server.other": "Сервер обновлений не предлагает новой программы запуска."
});
