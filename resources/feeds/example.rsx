<?xml version="1.0" encoding="windows-1252"?>
<settings>
	<title>Feedsmith example feed</title>
	<link>https://www.example.com/</link>
	<description>News and tips from the Example team - an example project made with Feedsmith.</description>
	<number>10</number>
	<language>en</language>
	<managingeditor>editor@example.com (Jane Doe)</managingeditor>
	<webmaster>webmaster@example.com (John Doe)</webmaster>
	<category>Software</category>
	<ttl>1440</ttl>
	<imageurl>https://www.example.com/logo.png</imageurl>
	<imagetitle>Feedsmith example feed</imagetitle>
	<imagelink>https://www.example.com/</imagelink>
	<keepaccents>1</keepaccents>
</settings>
<ftpsettings>
	<ftpfile>example.xml</ftpfile>
	<ftpurl>ftp.example.com</ftpurl>
	<ftpdir>/htdocs</ftpdir>
	<ftpusername>jane</ftpusername>
</ftpsettings>
<entries>
	<entry>
		<title>Welcome to the example feed</title>
		<link>https://www.example.com/news/1</link>
		<content>[[p]]Welcome to the example feed[:bst:] made with [[b]]Feedsmith[[/b]].[[/p]][[p]]This project shows what a small RSS feed looks like. Open the [[b]]Contents[[/b]] page to see how the entries are written[:bst:] and switch to [[b]]Preview[[/b]] to see how readers will get them.[[/p]]</content>
		<date>2026-11-02 09:30:00</date>
		<guid>https://www.example.com/news/1</guid>
		<guidpermalink>1</guidpermalink>
	</entry>
	<entry>
		<title>Three tips for good entries</title>
		<link>https://www.example.com/news/2</link>
		<content>[[p]]A few simple rules make a feed pleasant to read:[[/p]][[ul]][[li]]Give every entry a short[:bst:] clear title.[[/li]][[li]]Start with the most important sentence.[[/li]][[li]]Link to the full article on your web site.[[/li]][[/ul]][[p]]Most feed readers show only the first lines[:bst:] so make them count.[[/p]]</content>
		<date>2026-11-09 14:15:00</date>
		<guid>https://www.example.com/news/2</guid>
		<guidpermalink>1</guidpermalink>
	</entry>
	<entry>
		<title>Publishing the feed</title>
		<link>https://www.example.com/news/3</link>
		<content>[[p]]When the entries are ready[:bst:] generate the RSS file and upload it on the [[b]]Publish[[/b]] page.[[/p]][[ol]][[li]]Enter the FTP server and the remote directory.[[/li]][[li]]Click [[i]]Generate RSS file[[/i]].[[/li]][[li]]Click [[i]]Upload[[/i]] and type your password.[[/li]][[/ol]][[p]]Your password is never stored in the project file.[[/p]]</content>
		<date>2026-11-16 08:00:00</date>
		<guid>https://www.example.com/news/3</guid>
		<guidpermalink>1</guidpermalink>
	</entry>
	<entry>
		<title>Tell your readers about the feed</title>
		<link>https://www.example.com/news/4</link>
		<content>[[p]]The feed is online. Put a link to it on your home page so visitors can subscribe[:bst:] for example on [[a href="https://www.example.com/"]]www.example.com[[/a]].[[/p]][[blockquote]]Tip: the newest entry always comes first in the feed.[[/blockquote]][[p]]Thank you for reading![[/p]]</content>
		<date>2026-11-23 17:45:00</date>
		<guid>https://www.example.com/news/4</guid>
		<guidpermalink>1</guidpermalink>
	</entry>
</entries>
